#include "widgets/stored_width.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace snx {

namespace {

std::size_t Utf8Bytes(const QString& text) {
    return static_cast<std::size_t>(text.toUtf8().size());
}

// The box undoes a change this refuses. The box has taken the new text when it asks, so the
// length of the text last accepted is kept here.
class StoredWidthValidator final : public QValidator {
  public:
    StoredWidthValidator(QObject* parent, std::size_t width, std::size_t shown)
        : QValidator(parent), width_(width), accepted_(shown) {}

    State validate(QString& input, int&) const override {
        const std::size_t bytes = Utf8Bytes(input);
        if (bytes > std::max(width_, accepted_)) {
            return Invalid;
        }
        accepted_ = bytes;
        return Acceptable;
    }

  private:
    std::size_t width_;
    mutable std::size_t accepted_;
};

}  // namespace

void LimitToStoredWidth(QLineEdit* edit, std::size_t width) {
    edit->setMaxLength(32767);  // QLineEdit's own default: no limit in characters
    edit->setValidator(new StoredWidthValidator(edit, width, Utf8Bytes(edit->text())));
}

}  // namespace snx
