#pragma once

#include <QIcon>

// The tool's icon, drawn rather than shipped: a patch grid at dusk with
// some patches lit.
QIcon AppIcon();
QPixmap AppIconPixmap(int size);
