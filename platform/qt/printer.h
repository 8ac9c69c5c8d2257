// The printer, in the manner of the class library's TPrinter: a real
// printer or a PDF file, begun, paged and ended, with a canvas for the
// current page and the device facts the report needs (resolution, the
// printable page in pixels, the physical offset of the printable area from
// the paper's edge).
#pragma once
#include <memory>
#include <string>

#include "platform/qt/canvas.h"

class TPrinter {
  public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Prints into a PDF file (CP932 name) instead of a printer.
    void SetPdfFile(const std::string& fileName);
    // Selects a printer by name (CP932); "" selects the default printer.
    void SetPrinterName(const std::string& name);
    std::string PrinterName() const;

    // Starts a document; false when the device cannot be opened.
    bool BeginDoc(const std::string& title = std::string());
    // Ends the page and starts a new one; false when not printing.
    bool NewPage();
    // Ends the document; false when it could not be completed: a PDF file
    // then keeps its old content (the new one went to a temporary beside
    // it) and ErrorText says what failed. The next document starts afresh.
    bool EndDoc();
    // The file and the cause of the last failure (CP932), "" after success.
    const std::string& ErrorText() const;
    bool Printing() const;
    // Pages begun in the current or last document (1 after BeginDoc).
    int PageCount() const;

    TCanvas& Canvas();

    // Printable area in device pixels.
    int PageWidth() const;
    int PageHeight() const;
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;
    // Distance of the printable area from the paper's top-left edge, pixels.
    int PhysicalOffsetX() const;
    int PhysicalOffsetY() const;

    struct Impl;
    Impl& impl() { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};
