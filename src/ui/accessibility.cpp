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

// The reader's message as read-only text, with no caret and no selection.
class StatusReaderAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit StatusReaderAccessible(StatusReader *reader) : QAccessibleWidget(reader, QAccessible::StatusBar) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    using QAccessibleWidget::text;

    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return message().mid(start, end - start); }
    int characterCount() const override { return int(message().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString message() const { return static_cast<StatusReader *>(widget())->message(); }
};

QAccessibleInterface *velmoraInterfaces(const QString &, QObject *object)
{
    if (auto *reader = qobject_cast<StatusReader *>(object))
        return new StatusReaderAccessible(reader);
    auto *button = qobject_cast<QAbstractButton *>(object);
    if (button && button->property(RadioRole).toBool())
        return new RadioPushButton(button);
    return nullptr;
}

void installInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(velmoraInterfaces);
        return true;
    }();
    Q_UNUSED(installed);
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
    installInterfaces();
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

void announce(QWidget *widget, const QString &sentence)
{
    if (widget->accessibleDescription() != sentence) {
        widget->setAccessibleDescription(sentence); // tells it
        return;
    }
    QAccessibleEvent again(widget, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&again);
}

StatusReader::StatusReader(QWidget *line, const QString &emptyName) : QWidget(line->parentWidget()), m_emptyName(emptyName)
{
    installInterfaces();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(line->geometry());
    stackUnder(line);
    setAccessibleName(emptyName);
}

void StatusReader::setMessage(const QString &message)
{
    m_message = message;
    const QString name = message.isEmpty() ? m_emptyName : message;
    if (accessibleName() != name) {
        setAccessibleName(name); // tells it
    } else if (!message.isEmpty()) {
        QAccessibleEvent again(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&again);
    }
}

} // namespace velmora::ui
