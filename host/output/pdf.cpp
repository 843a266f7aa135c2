#include "host/output/pdf.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

namespace host::output {
namespace {

constexpr double kLetterShort = 612.0;  // 8.5 in
constexpr double kLetterLong = 792.0;   // 11 in
constexpr double kMargin = 24.0;
constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

// The report font, loaded once from its files through FreeType: DejaVu Sans Mono and its
// bold. Loading the files directly keeps the output the same on every machine that has
// the font package, whatever its font configuration says.
struct MonoFonts {
    cairo_font_face_t* regular = nullptr;
    cairo_font_face_t* bold = nullptr;
};

const MonoFonts& Fonts() {
    static const MonoFonts fonts = [] {
        MonoFonts f;
        static FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) != 0) return f;
        auto load = [](const char* file) -> cairo_font_face_t* {
            FT_Face face = nullptr;
            if (FT_New_Face(library, (std::string(kFontDir) + file).c_str(), 0, &face) != 0)
                return nullptr;
            cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, 0);
            if (cairo_font_face_status(cf) != CAIRO_STATUS_SUCCESS) {
                cairo_font_face_destroy(cf);
                FT_Done_Face(face);
                return nullptr;
            }
            return cf;
        };
        f.regular = load("DejaVuSansMono.ttf");
        f.bold = load("DejaVuSansMono-Bold.ttf");
        return f;
    }();
    return fonts;
}

// Selects the report font; without its files, the system's monospaced font.
void SetFont(cairo_t* cr, bool bold) {
    const MonoFonts& f = Fonts();
    cairo_font_face_t* face = bold ? f.bold : f.regular;
    if (face)
        cairo_set_font_face(cr, face);
    else
        cairo_select_font_face(cr, "monospace", CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
}

}  // namespace

struct PdfWriter::Impl {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    double width = kLetterLong;
    double height = kLetterShort;

    ~Impl() { Release(); }
    void Release() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
        cr = nullptr;
        surface = nullptr;
    }
};

PdfWriter::PdfWriter() = default;

PdfWriter::~PdfWriter() {
    if (IsOpen()) {
        std::string ignored;
        Close(&ignored);
    }
}

bool PdfWriter::IsOpen() const {
    return impl_ && impl_->surface;
}

bool PdfWriter::Open(const std::string& path, int columns, int lines, const std::string& title,
                     std::string* error) {
    if (IsOpen()) Discard();
    path_ = path;
    columns_ = std::max(columns, 20);
    lines_ = std::max(lines, 10);
    pages_ = 0;
    impl_ = std::make_unique<Impl>();
    const bool landscape = columns_ > 100;
    impl_->width = landscape ? kLetterLong : kLetterShort;
    impl_->height = landscape ? kLetterShort : kLetterLong;
    impl_->surface = cairo_pdf_surface_create(path.c_str(), impl_->width, impl_->height);
    if (cairo_surface_status(impl_->surface) != CAIRO_STATUS_SUCCESS) {
        if (error)
            *error = "impossible de créer le fichier PDF " + path + " : " +
                     cairo_status_to_string(cairo_surface_status(impl_->surface));
        impl_->Release();
        return false;
    }
    cairo_pdf_surface_set_metadata(impl_->surface, CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(impl_->surface, CAIRO_PDF_METADATA_CREATOR, "rapports");
    impl_->cr = cairo_create(impl_->surface);
    return true;
}

void PdfWriter::AddPage(const PageModel& page) {
    if (!IsOpen()) return;
    cairo_t* cr = impl_->cr;
    // The cell grid: the document's size, or the page's own when it uses more.
    const int first = std::min(1, page.FirstLine());
    const int rows = std::max(lines_, page.LastLine() - first + 1);
    const int cols = std::max(columns_, page.Width());
    const double avail_w = impl_->width - 2 * kMargin;
    const double avail_h = impl_->height - 2 * kMargin;
    const double cell_h = avail_h / rows;

    SetFont(cr, false);
    cairo_set_font_size(cr, 10.0);
    cairo_text_extents_t m;
    cairo_text_extents(cr, "M", &m);
    const double advance_per_pt = m.x_advance > 0 ? m.x_advance / 10.0 : 0.6;
    // The font size that fits both a cell's width and its height.
    const double size = std::min(avail_w / cols / advance_per_pt, cell_h / 1.15);
    const double cell_w = size * advance_per_pt;
    auto x_of = [&](double col) { return kMargin + col * cell_w; };
    auto top_of = [&](int line) { return kMargin + (line - first) * cell_h; };

    cairo_set_source_rgb(cr, 0, 0, 0);
    for (const PageModel::Run& run : page.Runs()) {
        SetFont(cr, run.bold);
        cairo_set_font_size(cr, size);
        // Baseline at 80% of the cell, so descenders stay inside it.
        cairo_move_to(cr, x_of(run.col), top_of(run.line) + cell_h * 0.8);
        cairo_show_text(cr, run.text.c_str());
    }
    cairo_set_line_width(cr, std::max(0.4, size / 14));
    for (const PageModel::Rule& r : page.rules()) {
        const double x1 = x_of(r.from_col), x2 = x_of(r.to_col + 1);
        const double mid = top_of(r.line) + cell_h / 2;
        for (double y : r.double_line ? std::vector<double>{mid - cell_h / 8, mid + cell_h / 8}
                                      : std::vector<double>{mid}) {
            cairo_move_to(cr, x1, y);
            cairo_line_to(cr, x2, y);
        }
        cairo_stroke(cr);
    }
    for (const PageModel::Rect& r : page.rects()) {
        const double x1 = x_of(r.col1 + 0.5), x2 = x_of(r.col2 + 0.5);
        const double y1 = top_of(r.line1) + cell_h / 2, y2 = top_of(r.line2) + cell_h / 2;
        cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
        cairo_stroke(cr);
    }
    cairo_show_page(cr);
    ++pages_;
}

bool PdfWriter::Close(std::string* error) {
    if (!IsOpen()) return false;
    // A PDF needs at least one page.
    if (pages_ == 0) AddPage(PageModel());
    cairo_surface_finish(impl_->surface);
    const cairo_status_t status = cairo_surface_status(impl_->surface);
    impl_->Release();
    impl_.reset();
    if (status != CAIRO_STATUS_SUCCESS) {
        if (error)
            *error = "erreur d'écriture du fichier PDF " + path_ + " : " +
                     cairo_status_to_string(status);
        return false;
    }
    return true;
}

void PdfWriter::Discard() {
    if (!impl_) return;
    if (impl_->surface) cairo_surface_finish(impl_->surface);
    impl_->Release();
    impl_.reset();
    std::remove(path_.c_str());
}

}  // namespace host::output
