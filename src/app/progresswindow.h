#pragma once

#include "practice/progressstore.h"

#include <QDialog>
#include <QList>

#include <functional>

class QComboBox;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace velmora {

class PracticeSession;
class Prompter;

// "Progress...": where the player stands, per tab a map of mastery, a cell a question: coloured by
// its first-try rate, marked by how often it was asked, named in its tool tip and to a screen
// reader (the map is a table). "Practise these" narrows the drill to the selected rows and columns.
class ProgressWindow : public QDialog
{
    Q_OBJECT
public:
    struct Map
    {
        QString tab;          // as the answers are kept: "Chords", ...
        QString title;        // the tab's caption
        QStringList rows;     // in the order shown
        QStringList columns;
        std::function<QString(const QString &)> columnCaption; // a column's name in words
    };
    // What "Practise these" asks for: the tab, its selected rows and columns.
    using Narrow = std::function<QString(const QString &tab, const QStringList &rows, const QStringList &columns)>;

    ProgressWindow(PracticeSession &practice, Prompter &prompter, QList<Map> maps, Narrow narrow, QWidget *parent = nullptr);

private:
    enum class Period { Session, Today, Week, AllTime };
    void fill();
    void practiseSelected();
    void exportAnswers();

    PracticeSession &m_practice;
    Prompter &m_prompter;
    QList<Map> m_maps;
    Narrow m_narrow;
    QComboBox *m_period;
    QTabWidget *m_tabs;
    QList<QTableWidget *> m_tables;
    QLabel *m_said;
};

} // namespace velmora
