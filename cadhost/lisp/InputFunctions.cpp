// The get- functions of AutoLISP and initget: prompts answered by a pick, by
// typed input or by a test's answers (HostHooks::ask). Escape ends the
// program with "Function cancelled", which a *error* handler receives.
#include "cadhost/lisp/HostHooks.h"

#include <cmath>

namespace lisp {

namespace {

// initget's bits and keywords hold for the next get- call only.
struct InitGet {
    int bits = 0;
    QStringList keywords;
};

constexpr int kNoNull = 1, kNoZero = 2, kNoNegative = 4;

struct Asker {
    Interpreter& in;
    const HostHooks& hooks;
    InitGet rules;

    PromptAnswer ask(const QString& prompt, bool acceptsPick, std::optional<QPointF> base) const
    {
        if (!hooks.ask) throw LispError("Function cancelled");
        std::optional<PromptAnswer> answer = hooks.ask(prompt, acceptsPick, base);
        if (!answer) throw LispError("Function cancelled");
        return *answer;
    }
    // A keyword the answer names (whole, or its start), if any.
    std::optional<QString> keyword(const QString& typed) const
    {
        const QString t = typed.trimmed();
        if (t.isEmpty()) return std::nullopt;
        for (const QString& k : rules.keywords)
            if (k.startsWith(t, Qt::CaseInsensitive)) return k;
        return std::nullopt;
    }
    void complain(const QString& text) const { in.write(text + "\n"); }

    // Asks until the answer is a number the rules allow; nil for Enter (unless forbidden) or a keyword.
    Value number(const QString& prompt, bool integer, std::optional<QPointF> base) const
    {
        for (;;) {
            const PromptAnswer answer = ask(prompt, base.has_value(), base);
            if (base) {  // a second point, picked or typed, gives the distance
                if (const auto p = pointFromAnswer(answer))
                    return makeReal(std::hypot(p->x() - base->x(), p->y() - base->y()));
            }
            const QString t = answer.typed.trimmed();
            if (t.isEmpty() && !answer.pick) {
                if (rules.bits & kNoNull) { complain("値を入力してください。"); continue; }
                return {};
            }
            if (const auto k = keyword(t)) return makeString(*k);
            bool ok = false;
            const double v = integer ? double(t.toInt(&ok)) : t.toDouble(&ok);
            if (!ok || !std::isfinite(v)) { complain(integer ? "整数を入力してください。" : "数値を入力してください。"); continue; }
            if ((rules.bits & kNoZero) && v == 0) { complain("0 以外の値を入力してください。"); continue; }
            if ((rules.bits & kNoNegative) && v < 0) { complain("正の値を入力してください。"); continue; }
            return integer ? makeInt(qint32(v)) : makeReal(v);
        }
    }
    Value point(const QString& prompt, std::optional<QPointF> base) const
    {
        for (;;) {
            const PromptAnswer answer = ask(prompt, true, base);
            if (const auto p = pointFromAnswer(answer)) return pointValue(*p);
            if (const auto k = keyword(answer.typed)) return makeString(*k);
            if (answer.typed.trimmed().isEmpty()) {
                if (rules.bits & kNoNull) continue;
                return {};
            }
            complain("点を指定してください。");
        }
    }
};

std::optional<QPointF> optionalPoint(const Value& v)
{
    if (v.isNil()) return std::nullopt;
    const std::optional<QPointF> p = pointFromValue(v);
    if (!p) badArgument("listp", v);
    return p;
}

// (get... [base] [prompt]): the base point, then the prompt, both optional.
void baseAndPrompt(const Args& a, std::optional<QPointF>& base, QString& prompt)
{
    needArgs(a, 0, 2);
    for (const Value& v : a) {
        if (v.type == Type::Str) prompt = stringOf(v);
        else base = optionalPoint(v);
    }
}

}  // namespace

void addInputFunctions(Interpreter& in, const HostHooks& hooks)
{
    auto rules = std::make_shared<InitGet>();
    // Each get- function takes the rules and clears them, as AutoLISP does.
    auto asker = [rules, &hooks](Interpreter& in) { return Asker{in, hooks, std::exchange(*rules, InitGet{})}; };

    in.defineFunction("INITGET", [rules](Interpreter&, Args& a) {
        needArgs(a, 0, 2);
        InitGet r;
        for (const Value& v : a) {
            if (v.type == Type::Int) r.bits = v.i;
            else r.keywords = stringArg(v).split(' ', Qt::SkipEmptyParts);
        }
        *rules = r;
        return Value{};
    });
    in.defineFunction("GETPOINT", [asker](Interpreter& in, Args& a) {
        std::optional<QPointF> base;
        QString prompt;
        baseAndPrompt(a, base, prompt);
        return asker(in).point(prompt, base);
    });
    in.defineFunction("GETCORNER", [asker](Interpreter& in, Args& a) {
        needArgs(a, 1, 2);
        std::optional<QPointF> base;
        QString prompt;
        baseAndPrompt(a, base, prompt);
        if (!base) badArgument("listp", a[0]);
        return asker(in).point(prompt, base);
    });
    in.defineFunction("GETREAL", [asker](Interpreter& in, Args& a) {
        needArgs(a, 0, 1);
        return asker(in).number(a.empty() ? QString() : stringArg(a[0]), false, std::nullopt);
    });
    in.defineFunction("GETINT", [asker](Interpreter& in, Args& a) {
        needArgs(a, 0, 1);
        return asker(in).number(a.empty() ? QString() : stringArg(a[0]), true, std::nullopt);
    });
    in.defineFunction("GETDIST", [asker](Interpreter& in, Args& a) {
        std::optional<QPointF> base;
        QString prompt;
        baseAndPrompt(a, base, prompt);
        const Asker asking = asker(in);
        if (base) return asking.number(prompt, false, base);
        // Without a base a typed number, or two points.
        const PromptAnswer first = asking.ask(prompt, true, std::nullopt);
        if (const auto p = pointFromAnswer(first)) {
            const PromptAnswer second = asking.ask("2 点目を指定:", true, p);
            if (const auto q = pointFromAnswer(second)) return makeReal(std::hypot(q->x() - p->x(), q->y() - p->y()));
            return Value{};
        }
        bool ok = false;
        const double v = first.typed.trimmed().toDouble(&ok);
        return ok && std::isfinite(v) ? makeReal(v) : Value{};
    });
    in.defineFunction("GETSTRING", [asker](Interpreter& in, Args& a) {
        needArgs(a, 0, 2);
        QString prompt;
        for (const Value& v : a)
            if (v.type == Type::Str) prompt = stringOf(v);
        return makeString(asker(in).ask(prompt, false, std::nullopt).typed);
    });
    in.defineFunction("GETKWORD", [asker](Interpreter& in, Args& a) {
        needArgs(a, 0, 1);
        const Asker asking = asker(in);
        const QString prompt = a.empty() ? QString() : stringArg(a[0]);
        for (;;) {
            const PromptAnswer answer = asking.ask(prompt, false, std::nullopt);
            if (answer.typed.trimmed().isEmpty()) {
                if (asking.rules.bits & kNoNull) continue;
                return Value{};
            }
            if (const auto k = asking.keyword(answer.typed)) return makeString(*k);
            asking.complain("キーワードが無効です。");
        }
    });
}

}  // namespace lisp
