#pragma once

#include "exercises/chords/staffgeometry.h"

#include <QWidget>

#include <array>

class QLabel;

namespace velmora {

class CircleShape;

// The white picture box with the grand staff, its ledger line, the seven note heads and their
// 35 accidental signs.
class StaffView : public QWidget
{
    Q_OBJECT
public:
    explicit StaffView(QWidget *parent);

    void DrawChord(const NoteSlots &notes);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<CircleShape *, staff::HeadCount> m_heads{};
    std::array<std::array<QLabel *, staff::AccidentalCount>, staff::HeadCount> m_signs{};
    staff::HeadTops m_tops{};
};

} // namespace velmora
