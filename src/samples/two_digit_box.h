// A two-digit number field (00 to 99 at most) without its own arrows: the adjust dialog's
// one spinner steps whichever field was entered last.
#pragma once

#include <QSpinBox>

namespace snx {

class TwoDigitBox final : public QSpinBox {
  public:
    explicit TwoDigitBox(QWidget* parent = nullptr) : QSpinBox(parent) {
        setButtonSymbols(QAbstractSpinBox::NoButtons);
        setAlignment(Qt::AlignRight);
        setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    }

  protected:
    QString textFromValue(int value) const override {
        return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
    }
};

}  // namespace snx
