// Brevane - what the print preview window uses of the printing operations that own it.
//
// The preview lays its text out against the printer's page and gives new listing text the
// listing font; its File menu, its "Print" button and its save question on closing run the
// file and print operations on its text.
#pragma once

#include "printing/PrinterRecords.h"

class QPrinter;

namespace printing {

class frmPreview;

class PreviewOps {
public:
    virtual ~PreviewOps() = default;

    [[nodiscard]] virtual QPrinter& printer() = 0;
    [[nodiscard]] virtual const PageMargins& margins() const = 0;
    [[nodiscard]] virtual const PageMetrics& metrics() const = 0;
    [[nodiscard]] virtual const ListingFont& listingFont() const = 0;
    // File > Print chose "Print to File": the preview's "Print" saves its text as a file.
    [[nodiscard]] virtual bool printsToFile() const = 0;
    // The preview's text was saved as a file, so it is no listing that can be built again.
    virtual void setPreviewFromFile() = 0;

    // mode 0 loads a file into the preview (or its selection), 1 saves the text (or the
    // selection); toFile saves it as the output of "Print to File". False when cancelled
    // or failed (a failure has been shown).
    virtual bool LoadSavePreviewText(frmPreview& preview, int mode, bool toFile) = 0;
    // Prints the preview's text. False when cancelled or failed (a failure has been shown).
    virtual bool PrintPreviewText(frmPreview& preview) = 0;
};

}  // namespace printing
