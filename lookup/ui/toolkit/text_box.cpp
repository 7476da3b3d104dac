// A text box with the change and got-focus events the windows rely on.
#include "lookup/ui/toolkit/text_box.h"

#include "cached_panel_style.h"

namespace tarvel::toolkit {

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setStyle(CachedPanelStyle::Shared());
}

}  // namespace tarvel::toolkit
