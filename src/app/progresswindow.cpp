#include "app/progresswindow.h"

#include "app/screenfit.h"
#include "practice/practicesession.h"
#include "ui/prompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

// Red for never right, through yellow, to green for always right at the first try.
QColor rateColour(double rate)
{
    return QColor::fromHsvF(0.33 * rate, 0.55, 1.0);
}

} // namespace

ProgressWindow::ProgressWindow(PracticeSession &practice, Prompter &prompter, QList<Map> maps, Narrow narrow, QWidget *parent)
    : QDialog(parent), m_practice(practice), m_prompter(prompter), m_maps(std::move(maps)), m_narrow(std::move(narrow))
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(tr("Progress"));
    m_period = new QComboBox;
    m_period->setObjectName(QStringLiteral("ProgressPeriod"));
    m_period->setAccessibleName(tr("Period"));
    m_period->addItem(tr("Since Velmora started"), int(Period::Session));
    if (m_practice.keeping()) {
        m_period->addItem(tr("Today"), int(Period::Today));
        m_period->addItem(tr("The last seven days"), int(Period::Week));
        m_period->addItem(tr("All time"), int(Period::AllTime));
    }
    connect(m_period, &QComboBox::currentIndexChanged, this, &ProgressWindow::fill);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("ProgressMaps"));
    for (const Map &map : std::as_const(m_maps)) {
        auto *table = new QTableWidget(int(map.rows.size()), int(map.columns.size()));
        table->setObjectName(QStringLiteral("Map") + map.tab);
        table->setAccessibleName(tr("%1: first-try rate per question").arg(map.title.trimmed()));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setVerticalHeaderLabels(map.rows);
        QStringList captions;
        for (const QString &column : map.columns)
            captions << map.columnCaption(column);
        table->setHorizontalHeaderLabels(captions);
        // Every column as wide as its caption, and the map scrolls.
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        m_tables << table;
        m_tabs->addTab(table, map.title.trimmed());
    }

    m_said = new QLabel;
    m_said->setObjectName(QStringLiteral("ProgressSaid"));
    m_said->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *practise = buttons->addButton(tr("Practise these"), QDialogButtonBox::ActionRole);
    practise->setObjectName(QStringLiteral("PractiseThese"));
    connect(practise, &QPushButton::clicked, this, &ProgressWindow::practiseSelected);
    QPushButton *exportButton = buttons->addButton(tr("Export..."), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("ExportAnswers"));
    exportButton->setEnabled(m_practice.keeping());
    connect(exportButton, &QPushButton::clicked, this, &ProgressWindow::exportAnswers);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_period);
    layout->addWidget(m_tabs);
    layout->addWidget(m_said);
    layout->addWidget(buttons);
    resizeWithinScreen(this, parent, {720, 520});
    fill();
}

void ProgressWindow::fill()
{
    const auto period = Period(m_period->currentData().toInt());
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime since = period == Period::Today  ? QDateTime(now.date(), QTime(0, 0))
                            : period == Period::Week ? QDateTime(now.date().addDays(-6), QTime(0, 0))
                                                     : QDateTime();
    for (qsizetype m = 0; m < m_maps.size(); ++m) {
        const Map &map = m_maps[m];
        QTableWidget *table = m_tables[m];
        const QHash<QuestionCell, CellFigures> figures = period == Period::Session || !m_practice.store()
                                                             ? m_practice.sessionFigures(map.tab)
                                                             : m_practice.store()->figures(map.tab, since);
        for (int r = 0; r < map.rows.size(); ++r) {
            for (int c = 0; c < map.columns.size(); ++c) {
                const CellFigures cell = figures.value({map.rows[r], map.columns[c]});
                auto *item = new QTableWidgetItem(cell.asked ? QString::number(cell.asked) : QString());
                item->setTextAlignment(Qt::AlignCenter);
                QString words = tr("%1, %2: never asked").arg(map.rows[r], map.columnCaption(map.columns[c]));
                if (cell.asked) {
                    const double rate = double(cell.right) / cell.asked;
                    item->setBackground(rateColour(rate));
                    item->setForeground(Qt::black);
                    words = tr("%1, %2: asked %3 times, right at the first try %4 times (%5 %), %6 s an answer")
                                .arg(map.rows[r], map.columnCaption(map.columns[c]))
                                .arg(cell.asked)
                                .arg(cell.right)
                                .arg(qRound(rate * 100))
                                .arg(double(cell.ms) / cell.asked / 1000, 0, 'f', 1);
                }
                item->setToolTip(words);
                item->setData(Qt::AccessibleTextRole, words);
                table->setItem(r, c, item);
            }
        }
    }
}

void ProgressWindow::practiseSelected()
{
    const int at = m_tabs->currentIndex();
    QTableWidget *table = m_tables.value(at);
    if (!table)
        return;
    QSet<int> rows, columns;
    const QModelIndexList selected = table->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : selected) {
        rows.insert(index.row());
        columns.insert(index.column());
    }
    if (selected.isEmpty()) {
        m_said->setText(tr("Select the questions to practise first."));
        return;
    }
    const Map &map = m_maps[at];
    QStringList chosenRows, chosenColumns;
    for (int r = 0; r < map.rows.size(); ++r) {
        if (rows.contains(r))
            chosenRows << map.rows[r];
    }
    for (int c = 0; c < map.columns.size(); ++c) {
        if (columns.contains(c))
            chosenColumns << map.columns[c];
    }
    QString said = m_narrow(map.tab, chosenRows, chosenColumns);
    const qsizetype through = chosenRows.size() * chosenColumns.size();
    if (through > selected.size())
        said += QLatin1Char(' ') + tr("The choice lets through %1 questions, more than the %2 selected.").arg(through).arg(selected.size());
    m_said->setText(said);
}

void ProgressWindow::exportAnswers()
{
    ProgressStore *store = m_practice.store();
    if (!store)
        return;
    const QString file = m_prompter.saveFileName(tr("Export the kept answers"), QStringLiteral("velmora-answers.csv"));
    if (file.isEmpty())
        return;
    m_said->setText(store->exportCsv(file) ? tr("The kept answers were written to %1.").arg(file)
                                           : tr("The kept answers could not be written to %1.").arg(file));
}

} // namespace velmora
