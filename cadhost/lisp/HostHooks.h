#pragma once
// What the AutoLISP functions that work on the drawing and ask the user need
// from the host: answers to prompts, entity extents and the clipboard. The
// host fills these in; tests give scripted answers.
#include "cadhost/HostState.h"
#include "cadhost/lisp/Interpreter.h"

#include <QPointF>
#include <QRectF>
#include <functional>
#include <optional>

namespace lisp {

// An answer to a prompt: a picked point, or a typed line (which may itself be a point).
struct PromptAnswer {
    std::optional<QPointF> pick;
    QString typed;
};

struct HostHooks {
    // Shows the prompt and waits for its answer; a pick is offered when
    // acceptsPick (with a rubber band from rubberBase). Nothing on Escape.
    std::function<std::optional<PromptAnswer>(const QString& prompt, bool acceptsPick,
                                              std::optional<QPointF> rubberBase)>
        ask;
    // The box of an entity as drawn; nothing for one that shows nothing.
    std::function<std::optional<QRectF>(const Entity&)> extent;
    std::function<QString()> clipboardText;
    std::function<void(const QString&)> setClipboardText;
};

// ssget sslength ssname entget entmod entmake entdel entupd entlast vlax-ename->vla-object
void addEntityFunctions(Interpreter& in, HostState& state, const HostHooks& hooks);
// initget getpoint getcorner getreal getdist getint getstring getkword
void addInputFunctions(Interpreter& in, const HostHooks& hooks);
// vla-get-/vla-put- StartPoint, EndPoint of LINEs, Layer and Color of entities
// other than texts, vla-delete of any entity. Call after addActiveXFunctions.
void addLineObjects(Interpreter& in, HostState& state);
// vlax-create-object "htmlfile" and its parentWindow.clipboardData getData/setData;
// vlax-release-object. Call after addActiveXFunctions: it extends vlax-get-property
// and vlax-invoke-method.
void addClipboardObject(Interpreter& in, const HostHooks& hooks);

// The answer read as a point "x,y" or "x,y,z"; nothing when it is none.
std::optional<QPointF> pointFromAnswer(const PromptAnswer& answer);
// A LISP point (x y [z]); nothing when the value is none.
std::optional<QPointF> pointFromValue(const Value& v);
Value pointValue(QPointF p);

}  // namespace lisp
