// The "htmlfile" object that AutoLISP programs use for the clipboard:
//   (setq html (vlax-create-object "htmlfile"))
//   (setq cb (vlax-get-property (vlax-get-property html 'parentWindow) 'clipboardData))
//   (vlax-invoke-method cb 'setData "Text" str)  /  (vlax-invoke-method cb 'getData "Text")
// The host backs it with its own clipboard (the X11 one).
#include "cadhost/lisp/HostHooks.h"

namespace lisp {

namespace {

const QString kHtmlFile = "htmlfile:";
const QString kWindow = "htmlfile:/parentWindow";
const QString kClipboard = "htmlfile:/parentWindow/clipboardData";

Value htmlObject(const QString& path, const QString& interfaceName)
{
    auto node = std::make_shared<VlaNode>();
    node->path = path;
    node->interfaceName = interfaceName;
    return nodeValue(Type::VlaObject, std::move(node));
}

const QString* htmlPath(const Value& v)
{
    if (v.type != Type::VlaObject) return nullptr;
    const QString& path = static_cast<const VlaNode&>(*v.node).path;
    return path.startsWith(kHtmlFile) ? &path : nullptr;
}

QString memberName(const Value& v) { return v.type == Type::Sym ? v.sym->name : stringArg(v); }

// The function the name has now, so the new one can hand other objects to it.
Value previous(Interpreter& in, const QString& name) { return in.intern(name)->value; }

}  // namespace

void addClipboardObject(Interpreter& in, const HostHooks& hooks)
{
    in.defineFunction("VLAX-CREATE-OBJECT", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        if (stringArg(a[0]).compare("htmlfile", Qt::CaseInsensitive) != 0) return Value{};
        return htmlObject(kHtmlFile, "DispHTMLDocument");
    });
    in.defineFunction("VLAX-RELEASE-OBJECT", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        if (a[0].type != Type::VlaObject) badArgument("VLA-OBJECT", a[0]);
        return makeInt(0);
    });
    const Value getProperty = previous(in, "VLAX-GET-PROPERTY");
    in.defineFunction("VLAX-GET-PROPERTY", [getProperty](Interpreter& in, Args& a) {
        const QString* path = a.size() == 2 ? htmlPath(a[0]) : nullptr;
        if (!path) return in.apply(getProperty, a);
        const QString name = memberName(a[1]).toUpper();
        if (*path == kHtmlFile && name == "PARENTWINDOW") return htmlObject(kWindow, "DispHTMLWindow2");
        if (*path == kWindow && name == "CLIPBOARDDATA") return htmlObject(kClipboard, "DispHTMLDataTransfer");
        throw LispError("Automation Error. Unknown name: " + memberName(a[1]));
    });
    const Value invokeMethod = previous(in, "VLAX-INVOKE-METHOD");
    in.defineFunction("VLAX-INVOKE-METHOD", [invokeMethod, &hooks](Interpreter& in, Args& a) {
        const QString* path = a.size() >= 2 ? htmlPath(a[0]) : nullptr;
        if (!path) return in.apply(invokeMethod, a);
        const QString name = memberName(a[1]).toUpper();
        if (*path != kClipboard || a.size() < 3 || stringArg(a[2]).compare("Text", Qt::CaseInsensitive) != 0)
            throw LispError("Automation Error. Unknown name: " + memberName(a[1]));
        if (name == "GETDATA") {
            needArgs(a, 3, 3);
            const QString text = hooks.clipboardText ? hooks.clipboardText() : QString();
            return text.isEmpty() ? Value{} : makeString(text);
        }
        if (name == "SETDATA") {
            needArgs(a, 4, 4);
            if (hooks.setClipboardText) hooks.setClipboardText(stringArg(a[3]));
            return makeSymbol(in.intern(":VLAX-TRUE"));
        }
        throw LispError("Automation Error. Unknown name: " + memberName(a[1]));
    });
}

}  // namespace lisp
