#include "app/drilldialog.h"

#include "app/screenfit.h"
#include "exercises/chords/chordkinds.h"
#include "exercises/chords/chordquestion.h"
#include "music/messages.h"
#include "ui/captions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace velmora {

namespace {

constexpr int KeyColumns = 5;
constexpr int KindColumns = 3;
constexpr int BoxTextWidth = 110; // pixels; a longer value is elided, and whole in its tool tip

int noteCount(const QString &code)
{
    const ChordKind *kind = findChordKind(code);
    return kind ? int(kind->degrees.size()) : 0;
}

// A value from the user's file as a box's caption: elided to fit, and never a mnemonic.
QCheckBox *valueBox(const QString &value, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(parent);
    const QString whole = shortened(caption);
    box->setText(box->fontMetrics().elidedText(whole, Qt::ElideRight, BoxTextWidth).replace(QLatin1Char('&'), QStringLiteral("&&")));
    box->setToolTip(whole);
    box->setAccessibleName(whole);
    box->setProperty("value", value);
    return box;
}

QPushButton *actionButton(const QString &caption, QHBoxLayout *row, const std::function<void()> &action)
{
    auto *button = new QPushButton(caption);
    button->setAutoDefault(false);
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, button, action);
    return button;
}

} // namespace

ValueChoice DrillDialog::Boxes::choice() const
{
    QSet<QString> chosen;
    for (QCheckBox *box : values) {
        if (box->isChecked())
            chosen.insert(box->property("value").toString());
    }
    const bool othersTicked = others && others->isChecked();
    if (chosen.size() == values.size() && (!others || othersTicked))
        return {};
    return ValueChoice::only(chosen, listed, othersTicked);
}

bool DrillDialog::Boxes::anyTicked() const
{
    return (others && others->isChecked()) || std::ranges::any_of(values, [](QCheckBox *box) { return box->isChecked(); });
}

void DrillDialog::Boxes::tick(const std::function<bool(const QString &)> &which)
{
    for (QCheckBox *box : values)
        box->setChecked(which(box->property("value").toString()));
    // Values the boxes do not name are chosen only by "All".
    if (others)
        others->setChecked(which(QString()));
}

DrillDialog::DrillDialog(const RecordCursor::Distinct &keys, const RecordCursor::Distinct &kinds, QList<Page> pages,
                         int current, QWidget *parent)
    : QDialog(parent), m_pages(std::move(pages))
{
    setObjectName(QStringLiteral("DrillDialog"));
    setWindowTitle(tr("Choose what to drill"));
    auto *tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("DrillPages"));
    m_keys.resize(m_pages.size());
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        const Page &page = m_pages[i];
        auto *content = new QWidget;
        auto *column = new QVBoxLayout(content);
        QWidget *keyGroup = valueGroup(page.keysTitle, keys.values, keys.more, page.keys, m_keys[i]);
        auto *keyRow = new QHBoxLayout;
        Boxes &keyBoxes = m_keys[i];
        actionButton(tr("All"), keyRow, [&keyBoxes] { keyBoxes.tick([](const QString &) { return true; }); });
        actionButton(tr("None"), keyRow, [&keyBoxes] { keyBoxes.tick([](const QString &) { return false; }); });
        auto *signatures = new QComboBox;
        signatures->setPlaceholderText(tr("Up to N sharps or flats"));
        for (int n = 0; n <= 7; ++n)
            signatures->addItem(tr("Up to %1 sharps or flats").arg(n), n);
        signatures->setCurrentIndex(-1);
        signatures->setAccessibleName(tr("Keys up to a number of sharps or flats"));
        connect(signatures, &QComboBox::activated, this, [&keyBoxes, signatures](int index) {
            const int most = signatures->itemData(index).toInt();
            keyBoxes.tick([most](const QString &key) {
                const std::optional<int> signature = keySignature(key);
                return signature && std::abs(*signature) <= most;
            });
        });
        keyRow->addWidget(signatures);
        keyRow->addStretch();
        static_cast<QVBoxLayout *>(keyGroup->layout())->insertLayout(0, keyRow);
        column->addWidget(keyGroup);

        if (page.hasKinds) {
            QWidget *kindGroup = valueGroup(tr("Chord kinds"), kinds.values, kinds.more, page.kinds, m_kinds, [](const QString &code) {
                const QStringList columns{tr("Major"), tr("Minor"), tr("Dominant")};
                const ChordAnswer *answer = chordAnswerFor(code);
                return answer ? columns.value(answer->group) : tr("Other codes");
            });
            auto *kindRow = new QHBoxLayout;
            actionButton(tr("Triads"), kindRow, [this] { m_kinds.tick([](const QString &code) { return noteCount(code) == 3; }); });
            actionButton(tr("Seventh chords"), kindRow, [this] { m_kinds.tick([](const QString &code) { return noteCount(code) == 4; }); });
            actionButton(tr("All"), kindRow, [this] { m_kinds.tick([](const QString &) { return true; }); });
            actionButton(tr("None"), kindRow, [this] { m_kinds.tick([](const QString &) { return false; }); });
            kindRow->addStretch();
            static_cast<QVBoxLayout *>(kindGroup->layout())->insertLayout(0, kindRow);
            column->addWidget(kindGroup);
        }
        column->addStretch();
        auto *scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(content);
        tabs->addTab(scroll, page.title);
    }

    tabs->setCurrentIndex(current);

    m_problem = new QLabel;
    m_problem->setObjectName(QStringLiteral("DrillProblem"));
    m_problem->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    updateProblem();

    // As large as the boxes want, within the screen the window fits.
    resizeWithinScreen(this, parent, {640, 480});
}

QWidget *DrillDialog::valueGroup(const QString &title, const QStringList &values, bool more, const ValueChoice &current,
                                 Boxes &boxes, const std::function<QString(const QString &)> &group)
{
    auto *frame = new QGroupBox(title);
    auto *column = new QVBoxLayout(frame);
    // Sections in the order their first value comes: the values come in the order they are shown.
    QStringList sections;
    for (const QString &value : values) {
        const QString section = group ? group(value) : QString();
        if (!sections.contains(section))
            sections << section;
    }
    const bool others = more;
    const int columns = group ? KindColumns : KeyColumns;
    for (const QString &section : sections) {
        if (!section.isEmpty())
            column->addWidget(new QLabel(section));
        auto *grid = new QGridLayout;
        int at = 0;
        for (const QString &value : values) {
            if ((group ? group(value) : QString()) != section)
                continue;
            const ChordAnswer *answer = group ? chordAnswerFor(value) : nullptr;
            QCheckBox *box = valueBox(value, answer ? ui::caption(answer->caption).simplified() : value, frame);
            box->setChecked(current.allows(value));
            connect(box, &QCheckBox::toggled, this, &DrillDialog::updateProblem);
            grid->addWidget(box, at / columns, at % columns);
            ++at;
            boxes.values << box;
            boxes.listed.insert(value);
        }
        column->addLayout(grid);
    }
    if (others) {
        boxes.others = new QCheckBox(tr("Others"), frame);
        boxes.others->setToolTip(tr("Every value that has no box of its own"));
        boxes.others->setChecked(current.isAll() || current.othersChosen());
        connect(boxes.others, &QCheckBox::toggled, this, &DrillDialog::updateProblem);
        column->addWidget(boxes.others);
    }
    return frame;
}

void DrillDialog::updateProblem()
{
    QStringList problems;
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (!m_keys[i].anyTicked())
            problems << tr("%1: choose at least one of the %2.").arg(m_pages[i].title.trimmed(), m_pages[i].keysTitle.toLower());
        if (m_pages[i].hasKinds && !m_kinds.anyTicked())
            problems << tr("%1: choose at least one chord kind.").arg(m_pages[i].title.trimmed());
    }
    m_problem->setText(problems.join(QLatin1Char('\n')));
    m_problem->setVisible(!problems.isEmpty());
    m_ok->setEnabled(problems.isEmpty());
}

QList<DrillDialog::Page> DrillDialog::choices() const
{
    QList<Page> pages = m_pages;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        pages[i].keys = m_keys[i].choice();
        if (pages[i].hasKinds)
            pages[i].kinds = m_kinds.choice();
    }
    return pages;
}

} // namespace velmora
