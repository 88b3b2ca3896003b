#include "cadhost/LispPrompts.h"

#include "cadhost/AutomationBus.h"
#include "cadhost/DrawingExtents.h"
#include "cadhost/HostWindow.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

void connectLispHooks(HostState& state, HostWindow& window, AutomationBus& bus)
{
    CommandInterpreter& commands = window.commands();
    lisp::HostLisp& lisp = commands.lisp();
    lisp.hooks.ask = [&state, &window, &bus, &commands, &lisp](const QString& prompt, bool acceptsPick,
                                                        std::optional<QPointF> base)
        -> std::optional<lisp::PromptAnswer> {
        QStringList& log = state.commandLog;
        log << prompt;
        window.refresh();
        // The click may come after this prompt ended (cancelled): the shared state outlives it.
        auto clicked = std::make_shared<std::optional<std::optional<QPointF>>>();
        if (acceptsPick) window.startPick(prompt, base, [clicked](std::optional<QPointF> p) { *clicked = p; });
        std::optional<lisp::PromptAnswer> answer;
        for (;;) {
            // Escape, or the window closed (the host is ending): the prompt is cancelled.
            if (lisp.interpreter().takeInterrupt() || !window.isVisible()) break;
            if (acceptsPick) {
                if (const auto p = bus.takeAnsweredPick()) {
                    answer = lisp::PromptAnswer{p, {}};
                    log << QString("%1,%2").arg(p->x()).arg(p->y());
                    break;
                }
            }
            if (const auto typed = commands.takeTypedAnswer()) {
                answer = lisp::PromptAnswer{std::nullopt, *typed};
                if (!typed->isEmpty()) log.last() += " " + *typed;
                break;
            }
            if (clicked->has_value()) {
                if (**clicked) answer = lisp::PromptAnswer{**clicked, {}};
                break;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        if (acceptsPick) window.cancelPick();
        if (!answer) log << "*キャンセル*";
        return answer;
    };
    lisp.hooks.extent = [](const Entity& e) -> std::optional<QRectF> { return entityExtents(e); };
    lisp.hooks.clipboardText = [] { return QGuiApplication::clipboard()->text(); };
    lisp.hooks.setClipboardText = [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
}
