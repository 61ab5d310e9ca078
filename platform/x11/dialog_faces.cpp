#include "platform/x11/dialog_faces.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <fontconfig/fontconfig.h>

#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "settings/dialog_design.h"

namespace nyamo::x11 {

namespace {

bool FaceInstalled(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts != nullptr) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

// Every character of the dialog's fixed texts is in the face's set.
bool CoversDialogTexts(const FcCharSet* chars) {
    for (std::string_view text : {kFrameText, kOptDesktopText, kOptBlankText, kLabel1Text, kLabel3Text,
                                  kInfoLineText, kOkText, kCancelText}) {
        for (char16_t unit : Utf8ToUtf16(text))  // these texts lie in the BMP
            if (FcCharSetHasChar(chars, unit) == FcFalse) return false;
    }
    return true;
}

}  // namespace

// The face of the dialog's texts, as an FLTK Xft name. Xft draws a text in
// one face, and fontconfig answers a face that is not installed with its
// default, which has no Japanese glyphs: the labels would be empty boxes
// even with another Japanese face at hand. So: the design's face when it is
// installed; otherwise the first face fontconfig offers for Japanese that has
// every character of the dialog's texts (IPA P Gothic, VL P Gothic, or
// another of the fonts-japanese-gothic family); otherwise, with no such face
// at all, the design's name (the Latin texts and the controls still work).
std::string ChooseDialogFace() {
    if (FaceInstalled(kDialogFace + 1)) return kDialogFace;
    std::string face = kDialogFace;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ja"));
    if (pattern == nullptr) return face;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    // A proportional face first, as the design's is (IPA P Gothic before IPA Gothic).
    for (bool proportional_only : {true, false}) {
        for (int i = 0; fonts != nullptr && i < fonts->nfont && face == kDialogFace; ++i) {
            FcChar8* family = nullptr;
            FcCharSet* chars = nullptr;
            int spacing = FC_PROPORTIONAL;
            FcPatternGetInteger(fonts->fonts[i], FC_SPACING, 0, &spacing);
            if (proportional_only && spacing != FC_PROPORTIONAL) continue;
            if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch &&
                FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &chars) == FcResultMatch &&
                CoversDialogTexts(chars))
                face = " " + std::string(reinterpret_cast<const char*>(family));
        }
    }
    if (fonts != nullptr) FcFontSetDestroy(fonts);
    FcPatternDestroy(pattern);
    return face;
}

// The frame's caption stands above the first option, whose focus box runs
// along the option's top edge: of the faces at hand, the one that keeps the
// caption largest (up to the design's size) with its line above that edge.
// IPAPGothic, when installed, has the metrics of ＭＳ Ｐゴシック (a line of one
// em) and keeps the design's size; the dialog's own face needs a smaller one.
CaptionFont FitCaption(int design, int room) {
    fl_open_display();
    std::vector<Fl_Font> faces;
    if (FaceInstalled(kCompactCaptionFace + 1)) {
        Fl::set_font(kCaptionFontSlot, kCompactCaptionFace);
        faces.push_back(kCaptionFontSlot);
    }
    faces.push_back(FL_HELVETICA);
    CaptionFont best{FL_HELVETICA, 1};
    for (Fl_Font face : faces)
        for (int size = design; size > best.size; --size) {
            fl_font(face, size);
            if (fl_height() <= room) {
                best = {face, size};
                break;
            }
        }
    return best;
}

}  // namespace nyamo::x11
