#pragma once
// The program's images, drawn in code so they stay sharp and need no image files: the seven toolbar images
// (ImageList1, 24 x 24), the "More" menu images (ImageList2, 16 x 16), the "Plugins" bitmap and the
// application icon.

#include <QIcon>
#include <QPixmap>

namespace lumora::app {

enum ToolbarImage { MainPage = 0, Back, Next, Refresh, Settings, Help, More };
enum MenuImage { AudioPlayer = 0, ZipArchiver, Plugins };

QIcon toolbarIcon(ToolbarImage image);
QIcon menuIcon(MenuImage image);
QIcon applicationIcon();
// The application icon at any size (the desktop's icon theme gets it in its sizes).
QPixmap applicationIconPixmap(int size);

}  // namespace lumora::app
