#pragma once
// The drawing as the direct road drives it: the members of the CAD it uses,
// one new text at a time. CadTextDocument is the CAD over the bus; tests use
// a recording double.
#include "cad/CadObject.h"

#include <QString>
#include <QVariant>
#include <array>

using Point3 = std::array<double, 3>;

struct TextBox {
    Point3 lower{}, upper{};
};

class ITextDocument {
public:
    virtual ~ITextDocument() = default;
    virtual void startUndoMark() = 0;
    virtual void endUndoMark() = 0;
    virtual void readModelSpace() = 0;
    // AddText on the model space; the text calls below act on the new text.
    virtual void addText(const QString& text, const Point3& at, double height) = 0;
    virtual void putText(const QString& member, const QVariant& value) = 0;
    virtual TextBox textBoundingBox() = 0;
    virtual void rotateText(const Point3& base, double radians) = 0;
    virtual void regen() = 0;  // the active viewport
};

class CadTextDocument : public ITextDocument {
public:
    explicit CadTextDocument(CadObject document) : m_document(std::move(document)) {}
    void startUndoMark() override;
    void endUndoMark() override;
    void readModelSpace() override;
    void addText(const QString& text, const Point3& at, double height) override;
    void putText(const QString& member, const QVariant& value) override;
    TextBox textBoundingBox() override;
    void rotateText(const Point3& base, double radians) override;
    void regen() override;

private:
    CadObject m_document, m_modelSpace, m_text;
};
