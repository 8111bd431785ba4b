#include "ui/prompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace velmora {

void MessageBoxPrompter::inform(const QString &text, Icon icon)
{
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, QStringLiteral("Velmora"),
                    text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessageBoxPrompter::askYesNo(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    // The box has no Cancel; anything but No counts as Yes.
    return box.exec() != QMessageBox::No;
}

QString MessageBoxPrompter::saveFileName(const QString &title, const QString &suggested)
{
    return QFileDialog::getSaveFileName(m_parent, title, suggested);
}

} // namespace velmora
