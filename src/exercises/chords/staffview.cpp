#include "exercises/chords/staffview.h"

#include "ui/captions.h"

#include "ui/shapes.h"
#include "ui/controls.h"
#include "ui/twips.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {

constexpr int PictureWidth = 2310;
constexpr int PictureHeight = 3240;

// Clefs drawn in pixels of the 154 x 216 staff picture.
QPainterPath trebleClef()
{
    QPainterPath path;
    path.moveTo(27, 72);
    path.cubicTo(20, 73, 19, 63, 26, 61);
    path.cubicTo(34, 59, 36, 71, 27, 74);
    path.cubicTo(16, 77, 12, 62, 22, 52);
    path.cubicTo(30, 43, 33, 31, 28, 27);
    path.cubicTo(24, 24, 21, 33, 23, 42);
    path.lineTo(28, 86);
    path.cubicTo(29, 92, 21, 93, 21, 88);
    return path;
}

QPainterPath bassClef()
{
    QPainterPath path;
    path.moveTo(17, 147);
    path.cubicTo(18, 138, 32, 136, 33, 148);
    path.cubicTo(34, 160, 25, 168, 15, 173);
    return path;
}

// The staff speaks for its note heads and signs: a screen reader hears the chord once, as the
// description, rather than seven unnamed circles and a row of "b", "#" and "x".
class AccessibleStaff : public QAccessibleWidget
{
public:
    explicit AccessibleStaff(QWidget *staff) : QAccessibleWidget(staff, QAccessible::Graphic) {}
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
};

QAccessibleInterface *staffAccessible(const QString &, QObject *object)
{
    if (auto *staff = qobject_cast<StaffView *>(object))
        return new AccessibleStaff(staff);
    return nullptr;
}

} // namespace

StaffView::StaffView(QWidget *parent) : QWidget(parent)
{
    static const bool factoryInstalled = (QAccessible::installFactory(staffAccessible), true);
    Q_UNUSED(factoryInstalled);
    ui::setAccessibleCaption(this, QT_TRANSLATE_NOOP("Velmora", "Chord on the grand staff"));
    setFocusPolicy(Qt::TabFocus);
    ui::setBackground(this, Qt::white);
    new LineShape(this, "Line1", {staff::LedgerLeft, staff::LedgerLineY}, {staff::LedgerRight, staff::LedgerLineY});

    for (int k = 1; k <= staff::HeadCount; ++k) {
        auto *head = new CircleShape(this);
        head->setObjectName(QStringLiteral("noot%1").arg(k));
        head->setGeometry(ui::twipsRect(staff::initialHeadLeft(k), staff::InitialHeadTop, staff::HeadSize,
                                        staff::HeadSize));
        m_heads[k - 1] = head;
        m_tops[k - 1] = staff::InitialHeadTop;

        for (int s = 0; s < staff::AccidentalCount; ++s) {
            const staff::AccidentalSign &sign = staff::accidentalSigns()[s];
            auto *label = new QLabel(QString::fromLatin1(sign.suffix), this);
            label->setObjectName(staff::signObjectName(sign, k));
            label->setGeometry(ui::twipsRect(sign.initialLeft + sign.initialStep * (k - 1), sign.initialTop,
                                             sign.width, staff::SignHeight));
            label->hide();
            m_signs[k - 1][s] = label;
        }
    }
}

void StaffView::DrawChord(const NoteSlots &notes)
{
    QStringList drawn;
    for (const QString &note : notes) {
        if (!note.isEmpty())
            drawn << note;
    }
    setAccessibleDescription(drawn.join(QStringLiteral(", ")));
    const staff::Placement placement = staff::placeChord(notes, m_tops);
    for (int k = 0; k < staff::HeadCount; ++k) {
        const staff::HeadPlacement &head = placement[k];
        m_tops[k] = head.top;
        m_heads[k]->setGeometry(ui::twipsRect(head.left, head.top, staff::HeadSize, staff::HeadSize));
        m_heads[k]->setVisible(head.visible);
        for (int s = 0; s < staff::AccidentalCount; ++s) {
            const staff::AccidentalSign &sign = staff::accidentalSigns()[s];
            QLabel *label = m_signs[k][s];
            label->setGeometry(ui::twipsRect(head.left - sign.leftOffset, head.top - staff::SignTopOffset,
                                             sign.width, staff::SignHeight));
            label->setVisible(head.accidental == sign.kind);
        }
    }
}

void StaffView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.save();
    // Drawn at 100 % and scaled with the rest of the layout.
    painter.scale(ui::layoutScale(), ui::layoutScale());

    // The staff is drawn in twips so that the lines fall on the rows the note positions assume.
    painter.save();
    painter.scale(1.0 / ui::TwipsPerPixel, 1.0 / ui::TwipsPerPixel);
    painter.setPen(QPen(Qt::black, 15));
    for (const auto &lines : {staff::TrebleLines, staff::BassLines}) {
        for (int y : lines)
            painter.drawLine(QPointF(staff::StaffLeft, y + 7.5), QPointF(staff::StaffRight, y + 7.5));
    }
    for (int x : {staff::StaffLeft, staff::StaffRight})
        painter.drawLine(QPointF(x + 7.5, staff::TrebleLines.front() + 7.5),
                         QPointF(x + 7.5, staff::BassLines.back() + 7.5));
    painter.restore();

    painter.setClipRect(QRect(0, 0, PictureWidth / ui::TwipsPerPixel, PictureHeight / ui::TwipsPerPixel));
    painter.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trebleClef());
    painter.drawPath(bassClef());
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(21.5, 88), 2.5, 2.5);
    painter.drawEllipse(QPointF(17, 147), 3, 3);
    painter.drawEllipse(QPointF(38, 143), 1.5, 1.5);
    painter.drawEllipse(QPointF(38, 152), 1.5, 1.5);
    painter.restore();
    if (hasFocus()) {
        // Tab stops here so that a screen reader reads the chord; the eye sees where it went.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

} // namespace velmora
