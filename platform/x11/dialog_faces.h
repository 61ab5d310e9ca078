// Which faces the FLTK settings dialog draws its texts in: a face that has
// every Japanese character of the dialog, and the caption's face and size.
#pragma once

#include <FL/Enumerations.H>

#include <string>

namespace nyamo::x11 {

// A proportional face with Japanese glyphs (Debian's fonts-noto-cjk), the
// design's. FLTK's Xft names start with a style letter; a blank is the
// regular style. The dialog's face replaces FLTK's default face, so the
// message box shows Japanese too.
inline constexpr const char* kDialogFace = " Noto Sans CJK JP";
// A face with a line of one em for the frame's caption, where there is one
// (Debian's fonts-ipafont-gothic), in a slot of its own.
inline constexpr const char* kCompactCaptionFace = " IPAPGothic";
inline constexpr Fl_Font kCaptionFontSlot = FL_FREE_FONT;

// The face of the dialog's texts, as an FLTK Xft name (see ChooseDialogFace
// in the source for the order of choice).
std::string ChooseDialogFace();

struct CaptionFont {
    Fl_Font face;
    int size;
};

// The face and size that keep the frame's caption largest (up to design)
// with its line within room pixels.
CaptionFont FitCaption(int design, int room);

}  // namespace nyamo::x11
