// The application's style with the looks that take long to draw and come back often shown
// from the pixmap cache: text boxes' frames and scroll bars. Widgets take it with setStyle.
#pragma once

class QStyle;

namespace tarvel::toolkit {

// One instance for all widgets, over the application's style, owned by the application
// object.
QStyle* CachedLooksStyle();

}  // namespace tarvel::toolkit
