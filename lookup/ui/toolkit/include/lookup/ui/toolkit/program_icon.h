// The program's picture, drawn in code so it needs no image plug-in: an envelope with a
// map pin, the same design as the desktop icon.
#pragma once

#include <QIcon>

namespace tarvel::toolkit {

QIcon ProgramIcon();

}  // namespace tarvel::toolkit
