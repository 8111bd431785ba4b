#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QRadioButton>

#include <algorithm>

namespace velmora::ui {

namespace {

constexpr char RadioRole[] = "velmoraRadioRole";

// A push button of an exclusive group: Qt would call a checkable one a check box.
class RadioPushButton : public QAccessibleWidget
{
public:
    explicit RadioPushButton(QAbstractButton *button) : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text().remove(QLatin1Char('&'));
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (button()->isEnabled())
                button()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton *button() const { return static_cast<QAbstractButton *>(widget()); }
};

QAccessibleInterface *radioPushButtons(const QString &, QObject *object)
{
    auto *button = qobject_cast<QAbstractButton *>(object);
    if (button && button->property(RadioRole).toBool())
        return new RadioPushButton(button);
    return nullptr;
}

void keepTabStopOnChosen(const QList<QAbstractButton *> &buttons)
{
    const bool anyChosen = std::any_of(buttons.begin(), buttons.end(), [](QAbstractButton *b) { return b->isChecked(); });
    for (QAbstractButton *button : buttons) {
        // Clicks still focus the others, and the arrows reach them.
        button->setFocusPolicy(button->isChecked() || !anyChosen ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

} // namespace

void exclusiveChoice(const QList<QAbstractButton *> &buttons)
{
    static const bool installed = [] {
        QAccessible::installFactory(radioPushButtons);
        return true;
    }();
    Q_UNUSED(installed);
    for (QAbstractButton *button : buttons) {
        if (!qobject_cast<QRadioButton *>(button)) {
            button->setProperty(RadioRole, true);
            // Checking a button while it was built made Qt's own interface for it, which is kept.
            QAccessibleInterface *made = QAccessible::queryAccessibleInterface(button);
            if (made && made->role() != QAccessible::RadioButton)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
        }
        QObject::connect(button, &QAbstractButton::toggled, button, [buttons] { keepTabStopOnChosen(buttons); });
    }
    keepTabStopOnChosen(buttons);
}

} // namespace velmora::ui
