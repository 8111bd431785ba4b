#include "ui/pitchbuttons.h"

#include "music/notename.h"
#include "ui/keyboard.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QButtonGroup>
#include <QPushButton>

namespace velmora {

QButtonGroup *addPitchButtons(QWidget *frame, const char *prefix)
{
    auto *group = new QButtonGroup(frame);
    const auto &buttons = pitchClassButtons();
    for (int i = 0; i < int(buttons.size()); ++i) {
        const PitchClassButton &entry = buttons[i];
        const QByteArray name = QByteArray(prefix) + entry.nameSuffix;
        auto *button = ui::colouredButton(frame, name.constData(), QString::fromLatin1(entry.caption),
                                          ui::twipsRect(entry.left, entry.top, 375, 375), QColor(0xFF, 0, 0));
        group->addButton(button, i);
        ui::pressOnKeys(frame, button, ui::pitchClassKeys(i));
    }
    return group;
}

} // namespace velmora
