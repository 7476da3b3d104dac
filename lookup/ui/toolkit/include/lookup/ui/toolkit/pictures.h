// The program's own pictures, drawn as SVG and compiled into it: the buttons' icons and the
// copy icon, sharp at every size and screen scale.
#pragma once

#include <QIcon>
#include <QString>

namespace tarvel::toolkit {

// The picture of that name (the SVG file's name without ".svg").
QIcon Picture(const QString& name);

}  // namespace tarvel::toolkit
