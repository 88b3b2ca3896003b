#pragma once
// A colour swatch with rounded corners, filled with the palette's window colour
// (set it as for a plain swatch: palette Window, then update).
#include <QFrame>

class TRoundedSwatch : public QFrame {
public:
    explicit TRoundedSwatch(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
