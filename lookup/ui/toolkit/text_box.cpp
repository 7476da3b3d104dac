// A text box with the change and got-focus events the windows rely on.
#include "lookup/ui/toolkit/text_box.h"

#include "lookup/ui/toolkit/cached_looks.h"

namespace tarvel::toolkit {

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setStyle(CachedLooksStyle());
}

}  // namespace tarvel::toolkit
