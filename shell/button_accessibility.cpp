#include "shell/button_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPushButton>

namespace trimvale::shell {

namespace {

class CQueuedPushButton : public QAccessibleWidget {
 public:
  explicit CQueuedPushButton(QPushButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

  QString text(QAccessible::Text t) const override {
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && text.isEmpty()) {
      text = Button()->text();
      text.remove(QLatin1Char('&'));
    }
    return text;
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.defaultButton = Button()->isDefault();
    state.pressed = Button()->isDown();
    if (Button()->isCheckable()) {
      state.checkable = true;
      state.checked = Button()->isChecked();
    }
    return state;
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled()) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& name) override {
    if (name != pressAction()) {
      QAccessibleWidget::doAction(name);
      return;
    }
    if (widget()->isEnabled()) QMetaObject::invokeMethod(Button(), &QAbstractButton::click, Qt::QueuedConnection);
  }

 private:
  QPushButton* Button() const { return static_cast<QPushButton*>(widget()); }
};

QAccessibleInterface* QueuedButtonFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("QPushButton") && object != nullptr && object->isWidgetType()) {
    return new CQueuedPushButton(static_cast<QPushButton*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallQueuedButtonAccessibility() { QAccessible::installFactory(QueuedButtonFactory); }

}  // namespace trimvale::shell
