// Arithmetic with AutoLISP's rules (integers stay 32-bit integers and wrap
// around; one real makes the result real), comparisons, geometry and rtos.
#include "cadhost/lisp/Interpreter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lisp {

namespace {

qint32 wrap(qint64 v) { return qint32(quint32(quint64(v))); }

bool allIntegers(const Args& a)
{
    for (const Value& v : a)
        if (numberArg(v), v.type != Type::Int) return false;
    return true;
}

Value realResult(double v)
{
    if (!std::isfinite(v)) throw LispError("floating-point overflow");
    return makeReal(v);
}

enum class Op { Add, Sub, Mul, Div };

Value arithmetic(Args& a, Op op)
{
    const bool ints = allIntegers(a);
    if (a.empty()) return makeInt(op == Op::Mul ? 1 : 0);
    if (a.size() == 1 && op == Op::Sub) return ints ? makeInt(wrap(-qint64(a[0].i))) : makeReal(-a[0].number());
    if (ints) {
        qint64 acc = a[0].i;
        for (size_t k = 1; k < a.size(); ++k) {
            const qint64 x = a[k].i;
            switch (op) {
            case Op::Add: acc = wrap(acc + x); break;
            case Op::Sub: acc = wrap(acc - x); break;
            case Op::Mul: acc = wrap(acc * x); break;
            case Op::Div:
                if (x == 0) throw LispError("divide by zero");
                acc = wrap(acc / x);
                break;
            }
        }
        return makeInt(qint32(acc));
    }
    double acc = a[0].number();
    for (size_t k = 1; k < a.size(); ++k) {
        const double x = a[k].number();
        switch (op) {
        case Op::Add: acc += x; break;
        case Op::Sub: acc -= x; break;
        case Op::Mul: acc *= x; break;
        case Op::Div:
            if (x == 0) throw LispError("divide by zero");
            acc /= x;
            break;
        }
    }
    return realResult(acc);
}

// -1, 0, 1 for numbers or strings; anything else is a bad argument.
int compare(const Value& x, const Value& y)
{
    if (x.type == Type::Str && y.type == Type::Str) return stringOf(x).compare(stringOf(y)) < 0 ? -1 : (stringOf(x) == stringOf(y) ? 0 : 1);
    if (x.type == Type::Str) badArgument("numberp", y);
    numberArg(x);
    numberArg(y);
    if (x.type == Type::Int && y.type == Type::Int) return x.i < y.i ? -1 : (x.i > y.i ? 1 : 0);
    return x.number() < y.number() ? -1 : (x.number() > y.number() ? 1 : 0);
}

template <bool (*Holds)(int)>
Value chain(Interpreter& in, Args& a)
{
    needArgs(a, 1, SIZE_MAX);
    for (size_t k = 0; k + 1 < a.size(); ++k)
        if (!Holds(compare(a[k], a[k + 1]))) return Value{};
    if (a.size() == 1) compare(a[0], a[0]);
    return in.t();
}

bool less(int c) { return c < 0; }
bool greater(int c) { return c > 0; }
bool lessEqual(int c) { return c <= 0; }
bool greaterEqual(int c) { return c >= 0; }
bool same(int c) { return c == 0; }

double realArg1(Args& a)
{
    needArgs(a, 1, 1);
    return numberArg(a[0]);
}

[[noreturn]] void undefinedFor(const Value& v) { throw LispError("function undefined for argument: " + printValue(v, true)); }

struct Point {
    double x, y, z;
    bool has3;
};

Point pointArg(const Value& v)
{
    std::vector<double> xs;
    for (Value rest = v; rest.type == Type::List; rest = cell(rest).cdr) {
        if (!cell(rest).car.isNumber() || xs.size() == 3) throw LispError("bad argument type: 2D/3D point: " + printValue(v, true));
        xs.push_back(cell(rest).car.number());
    }
    if (xs.size() < 2) throw LispError("bad argument type: 2D/3D point: " + printValue(v, true));
    return {xs[0], xs[1], xs.size() == 3 ? xs[2] : 0.0, xs.size() == 3};
}

// A non-negative length as a whole number and a fraction in 1/2^precision steps.
QString fraction(double v, int precision)
{
    const qint64 denominator = qint64(1) << std::clamp(precision, 0, 8);
    qint64 steps = std::llround(v * denominator);
    qint64 whole = steps / denominator, num = steps % denominator, den = denominator;
    while (num && num % 2 == 0) num /= 2, den /= 2;
    if (!num) return QString::number(whole);
    return (whole ? QString::number(whole) + " " : QString()) + QString("%1/%2").arg(num).arg(den);
}

QString feetInches(double inches, int precision, bool fractional)
{
    const double feet = std::floor(inches / 12 + 1e-12);
    const double rest = std::max(0.0, inches - feet * 12);
    const QString in = fractional ? fraction(rest, precision) : QString::number(rest, 'f', precision);
    return QString("%1'-%2\"").arg(qint64(feet)).arg(in);
}

QString realToString(double v, int mode, int precision)
{
    if (!std::isfinite(v)) return printReal(v);
    precision = std::clamp(precision, 0, 15);
    const QString sign = v < 0 ? "-" : "";
    const double a = std::fabs(v);
    switch (mode) {
    case 1: return QString::number(v, 'E', precision);
    case 2: return QString::number(v, 'f', precision);
    case 3: return sign + feetInches(a, precision, false);
    case 4: return sign + feetInches(a, precision, true);
    case 5: return sign + fraction(a, precision);
    }
    throw LispError("bad argument value: " + QString::number(mode));
}

}  // namespace

void addMathFunctions(Interpreter& in)
{
    in.defineFunction("+", [](Interpreter&, Args& a) { return arithmetic(a, Op::Add); });
    in.defineFunction("-", [](Interpreter&, Args& a) { return arithmetic(a, Op::Sub); });
    in.defineFunction("*", [](Interpreter&, Args& a) { return arithmetic(a, Op::Mul); });
    in.defineFunction("/", [](Interpreter&, Args& a) { return arithmetic(a, Op::Div); });
    in.defineFunction("1+", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return a[0].type == Type::Int ? makeInt(wrap(qint64(a[0].i) + 1)) : realResult(numberArg(a[0]) + 1);
    });
    in.defineFunction("1-", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return a[0].type == Type::Int ? makeInt(wrap(qint64(a[0].i) - 1)) : realResult(numberArg(a[0]) - 1);
    });
    in.defineFunction("REM", [](Interpreter&, Args& a) {
        needArgs(a, 1, SIZE_MAX);
        const bool ints = allIntegers(a);
        if (ints) {
            qint32 acc = a[0].i;
            for (size_t k = 1; k < a.size(); ++k) {
                if (a[k].i == 0) throw LispError("divide by zero");
                acc = a[k].i == -1 ? 0 : acc % a[k].i;
            }
            return makeInt(acc);
        }
        double acc = a[0].number();
        for (size_t k = 1; k < a.size(); ++k) {
            if (a[k].number() == 0) throw LispError("divide by zero");
            acc = std::fmod(acc, a[k].number());
        }
        return makeReal(acc);
    });
    in.defineFunction("ABS", [](Interpreter&, Args& a) {
        needArgs(a, 1, 1);
        return a[0].type == Type::Int ? makeInt(wrap(std::llabs(a[0].i))) : makeReal(std::fabs(numberArg(a[0])));
    });
    in.defineFunction("MIN", [](Interpreter&, Args& a) {
        if (a.empty()) return makeInt(0);
        const bool ints = allIntegers(a);
        Value best = a[0];
        for (const Value& v : a)
            if (v.number() < best.number()) best = v;
        return ints ? best : makeReal(best.number());
    });
    in.defineFunction("MAX", [](Interpreter&, Args& a) {
        if (a.empty()) return makeInt(0);
        const bool ints = allIntegers(a);
        Value best = a[0];
        for (const Value& v : a)
            if (v.number() > best.number()) best = v;
        return ints ? best : makeReal(best.number());
    });
    in.defineFunction("FIX", [](Interpreter&, Args& a) {
        const double v = std::trunc(realArg1(a));
        if (v < INT32_MIN || v > INT32_MAX) return makeReal(v);  // beyond 32 bits the truncated real
        return makeInt(qint32(v));
    });
    in.defineFunction("FLOAT", [](Interpreter&, Args& a) { return makeReal(realArg1(a)); });
    in.defineFunction("SQRT", [](Interpreter&, Args& a) {
        const double v = realArg1(a);
        if (v < 0) undefinedFor(a[0]);
        return makeReal(std::sqrt(v));
    });
    in.defineFunction("SIN", [](Interpreter&, Args& a) { return makeReal(std::sin(realArg1(a))); });
    in.defineFunction("COS", [](Interpreter&, Args& a) { return makeReal(std::cos(realArg1(a))); });
    in.defineFunction("ATAN", [](Interpreter&, Args& a) {
        needArgs(a, 1, 2);
        return makeReal(a.size() == 1 ? std::atan(numberArg(a[0])) : std::atan2(numberArg(a[0]), numberArg(a[1])));
    });
    in.defineFunction("EXP", [](Interpreter&, Args& a) { return realResult(std::exp(realArg1(a))); });
    in.defineFunction("LOG", [](Interpreter&, Args& a) {
        const double v = realArg1(a);
        if (v <= 0) undefinedFor(a[0]);
        return makeReal(std::log(v));
    });
    in.defineFunction("EXPT", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        if (allIntegers(a) && a[1].i >= 0) {
            qint64 acc = 1;
            for (qint32 k = 0; k < a[1].i && k < 64; ++k) acc = wrap(acc * a[0].i);
            return makeInt(qint32(acc));
        }
        return realResult(std::pow(a[0].number(), a[1].number()));
    });
    in.defineFunction("MINUSP", [](Interpreter& in, Args& a) { return boolValue(in, realArg1(a) < 0); });
    in.defineFunction("ZEROP", [](Interpreter& in, Args& a) { return boolValue(in, realArg1(a) == 0); });

    in.defineFunction("=", chain<same>);
    in.defineFunction("<", chain<less>);
    in.defineFunction(">", chain<greater>);
    in.defineFunction("<=", chain<lessEqual>);
    in.defineFunction(">=", chain<greaterEqual>);
    in.defineFunction("/=", [](Interpreter& in, Args& a) {
        needArgs(a, 1, SIZE_MAX);
        for (size_t k = 0; k + 1 < a.size(); ++k)
            if (compare(a[k], a[k + 1]) == 0) return Value{};
        return in.t();
    });

    in.defineFunction("DISTANCE", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        const Point p = pointArg(a[0]), q = pointArg(a[1]);
        const double dz = p.has3 && q.has3 ? q.z - p.z : 0;
        return makeReal(std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y) + dz * dz));
    });
    in.defineFunction("ANGLE", [](Interpreter&, Args& a) {
        needArgs(a, 2, 2);
        const Point p = pointArg(a[0]), q = pointArg(a[1]);
        double angle = std::atan2(q.y - p.y, q.x - p.x);
        if (angle < 0) angle += 2 * std::numbers::pi;
        return makeReal(angle);
    });
    in.defineFunction("POLAR", [](Interpreter&, Args& a) {
        needArgs(a, 3, 3);
        const Point p = pointArg(a[0]);
        const double angle = numberArg(a[1]), dist = numberArg(a[2]);
        std::vector<Value> out{makeReal(p.x + dist * std::cos(angle)), makeReal(p.y + dist * std::sin(angle))};
        if (p.has3) out.push_back(makeReal(p.z));
        return makeList(out);
    });
    in.defineFunction("RTOS", [](Interpreter&, Args& a) {
        needArgs(a, 1, 3);
        const double v = numberArg(a[0]);
        const int mode = a.size() >= 2 && !a[1].isNil() ? intArg(a[1]) : 2;  // LUNITS
        const int precision = a.size() == 3 && !a[2].isNil() ? intArg(a[2]) : 4;  // LUPREC
        return makeString(realToString(v, mode, precision));
    });
    in.intern("PI")->value = makeReal(std::numbers::pi);
}

}  // namespace lisp
