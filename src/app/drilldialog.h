#pragma once

#include "music/recordcursor.h"
#include "music/valuechoice.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QLabel;
class QPushButton;

namespace velmora {

// "Choose what to drill...": one page an exercise, its boxes made from what the music data holds
// when the dialog opens. A choice that leaves a page nothing to draw cannot be confirmed.
class DrillDialog : public QDialog
{
    Q_OBJECT
public:
    // However many distinct values the data holds, a page shows at most this many boxes, the
    // rest being chosen together with one "Others" box.
    static constexpr int MaxBoxes = 100;

    struct Page
    {
        QString title;      // the exercise's tab caption
        QString keysTitle;  // what the keys are on that exercise ("Start notes")
        ValueChoice keys;
        bool hasKinds = false; // the chord page also chooses chord kinds
        ValueChoice kinds;
    };

    // Opens on page `current`.
    DrillDialog(const RecordCursor::Distinct &keys, const RecordCursor::Distinct &kinds, QList<Page> pages,
                int current, QWidget *parent = nullptr);

    // The pages as the boxes choose now.
    QList<Page> choices() const;

private:
    // The boxes of one field on one page.
    struct Boxes
    {
        QList<QCheckBox *> values;
        QCheckBox *others = nullptr;
        QSet<QString> listed;

        ValueChoice choice() const;
        bool anyTicked() const;
        void tick(const std::function<bool(const QString &)> &which);
    };

    QWidget *valueGroup(const QString &title, const QStringList &values, bool more, const ValueChoice &current,
                        Boxes &boxes, const std::function<QString(const QString &)> &group = {});
    void updateProblem();

    QList<Page> m_pages;
    QList<Boxes> m_keys;  // one per page
    Boxes m_kinds;        // the chord page's
    QLabel *m_problem;
    QPushButton *m_ok;
};

} // namespace velmora
