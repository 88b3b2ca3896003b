#pragma once
// The AutoLISP reader: one form at a time from source text, so that a file is
// evaluated form by form as it is read (a fault later in the file does not
// undo what the earlier forms did).
#include "cadhost/lisp/Value.h"

#include <QByteArray>
#include <optional>

namespace lisp {

class Reader {
public:
    Reader(Interpreter& interp, QString source);
    // The next form, or nothing at the end of the text. Throws LispError on
    // malformed input ("malformed list on input", "malformed string on input", ...).
    std::optional<Value> next();

private:
    void skipBlank();
    Value readForm(int depth);
    Value readList(int depth);
    Value readString();
    Value readAtom();

    Interpreter& m_interp;
    QString m_text;
    qsizetype m_pos = 0;
};

// A LISP file's text: UTF-8 or UTF-16 with a byte-order mark, code page 932 without one.
QString decodeLispFile(const QByteArray& bytes);

}  // namespace lisp
