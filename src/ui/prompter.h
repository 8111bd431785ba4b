#pragma once

#include <QString>

class QWidget;

namespace velmora {

// Every modal box the program shows goes through here, so tests can answer them without a window.
class Prompter
{
public:
    enum class Icon { None, Warning };

    virtual ~Prompter() = default;
    // A box titled "Velmora" with an OK button only.
    virtual void inform(const QString &text, Icon icon = Icon::None) = 0;
    // Yes and No with the question icon; true for Yes.
    virtual bool askYesNo(const QString &title, const QString &text) = 0;
    // The file to save to, as the player names it in a file dialog; empty when cancelled.
    virtual QString saveFileName(const QString &title, const QString &suggested) = 0;
};

class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void inform(const QString &text, Icon icon) override;
    bool askYesNo(const QString &title, const QString &text) override;
    QString saveFileName(const QString &title, const QString &suggested) override;

private:
    QWidget *m_parent;
};

} // namespace velmora
