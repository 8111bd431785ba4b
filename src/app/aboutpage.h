#pragma once

#include "ui/tabpage.h"

class QLabel;

namespace velmora {

class PressGate;

// "About": the product name (click it for the tune), the version and the trumpet.
class AboutPage : public TabPage
{
    Q_OBJECT
public:
    AboutPage(QTabWidget *tabControl, PressGate &presses);

    void setVersionText(const QString &text);
    void Label6_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PressGate &m_presses;
    QLabel *m_productName;
    QLabel *m_version;
};

} // namespace velmora
