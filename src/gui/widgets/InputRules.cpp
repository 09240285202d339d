#include "widgets/InputRules.h"

#include <QEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

// Holds wheel events back from the widget it watches while that has no focus.
class CWheelWithFocus final : public QObject {
public:
    explicit CWheelWithFocus(QWidget* widget) : QObject(widget), widget(widget) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget || event->type() != QEvent::Wheel || widget->hasFocus()) {
            return false;
        }
        event->ignore();  // the parent gets it, as from a widget that does not scroll
        return true;
    }

private:
    QWidget* widget;
};

}  // namespace

void LimitTyping(QLineEdit* box, int length) {
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(".{0,%1}").arg(length)), box));
}

void TakeWheelOnlyWithFocus(QWidget* widget) {
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->installEventFilter(new CWheelWithFocus(widget));
}
