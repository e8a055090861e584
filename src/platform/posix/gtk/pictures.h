// The program's pictures as GDK pixbufs: its two icons, decoded from the
// embedded .ico files, and the message boxes' icons.
#pragma once


#include "interfaces/forms.h"

typedef struct _GdkPixbuf GdkPixbuf;

namespace hw::gtk {

// The 32 or 16 pixel image of a picture, decoded on first use and kept for
// the life of the process (the caller does not own it); null for
// Picture::None.
GdkPixbuf* PicturePixbuf(Picture picture, int size);

// The picture at `size`, each pixel repeated: a new reference.
GdkPixbuf* PictureAtSize(Picture picture, int size);

// What a message box style shows: 16 stop, 48 warning, 64 information,
// anything else none.
enum class MessageIcon { NoIcon, Stop, Warning, Information };
MessageIcon IconForStyle(int style);

// The 32-pixel image of a message icon, a new reference; null for NoIcon.
GdkPixbuf* MessageIconPixbuf(MessageIcon icon);

}  // namespace hw::gtk
