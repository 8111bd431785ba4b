#pragma once

class QApplication;

namespace velmora {

// One style everywhere, so coloured buttons are painted in their colour on any desktop, and the
// nearest equivalent of the form's small sans-serif font.
void applyLook(QApplication &app);

} // namespace velmora
