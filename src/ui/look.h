#pragma once

class QApplication;
class QFont;

namespace velmora {

// One style everywhere, so coloured buttons are painted in their colour on any desktop, and the
// nearest equivalent of the form's small sans-serif font.
void applyLook(QApplication &app);

// The form's font, at the layout's scale.
QFont formFont();

} // namespace velmora
