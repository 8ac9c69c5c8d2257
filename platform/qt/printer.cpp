#include "platform/qt/printer.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <cstdio>
#include <cstring>

#include "platform/file_replace.h"
#include "platform/qt/qt_bridge.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

struct TPrinter::Impl {
    std::unique_ptr<QPrinter> printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    TCanvas canvas;
    bool printing = false;
    int pages = 0;
    // A PDF goes to a temporary beside the file, which takes the file's
    // place only when the document was written to its end.
    std::string pdfName;  // CP932; "" for a printer
    ReplacingFile pdf;
    std::string error;
};

namespace {

// True when the file ends as a complete PDF does ("%%EOF" in its last
// bytes): the PDF writer reports no failed write, a document cut short by
// a full disk lacks its end.
bool EndsAsAPdf(const std::string& osName) {
    std::FILE* f = std::fopen(osName.c_str(), "rb");
    if (f == nullptr) return false;
    char tail[64] = {};
    std::size_t n = 0;
    if (std::fseek(f, -static_cast<long>(sizeof tail), SEEK_END) != 0) std::fseek(f, 0, SEEK_SET);
    n = std::fread(tail, 1, sizeof tail, f);
    std::fclose(f);
    const std::string text(tail, n);
    return text.find("%%EOF") != std::string::npos;
}

}  // namespace

TPrinter::TPrinter() : impl_(std::make_unique<Impl>()) {
    impl_->printer->setPageSize(QPageSize(QPageSize::A4));
    impl_->printer->setPageOrientation(QPageLayout::Portrait);
    CanvasAttachDevice(impl_->canvas, impl_->printer.get(), false);
}

TPrinter::~TPrinter() {
    if (impl_->printing) {
        CanvasEnd(impl_->canvas);
        impl_->pdf.Discard();  // a document never ended is no document
    }
}

void TPrinter::SetPdfFile(const std::string& fileName) {
    if (impl_->printing) return;
    impl_->printer->setOutputFormat(QPrinter::PdfFormat);
    impl_->printer->setOutputFileName(FileNameToQString(fileName));
    impl_->pdfName = fileName;
}

void TPrinter::SetPrinterName(const std::string& name) {
    if (impl_->printing) return;
    impl_->printer->setOutputFormat(QPrinter::NativeFormat);
    impl_->printer->setPrinterName(SjisToQString(name));
    impl_->pdfName.clear();
}

std::string TPrinter::PrinterName() const { return QStringToSjis(impl_->printer->printerName()); }

bool TPrinter::BeginDoc(const std::string& title) {
    if (impl_->printing) return true;
    Impl& d = *impl_;
    d.error.clear();
    // The print dialog may have chosen a PDF file itself.
    if (d.printer->outputFormat() == QPrinter::PdfFormat && !d.printer->outputFileName().isEmpty())
        d.pdfName = QStringToFileName(d.printer->outputFileName());
    else
        d.pdfName.clear();
    if (!d.pdfName.empty()) {
        if (!d.pdf.Open(d.pdfName)) {
            d.error = d.pdfName + "\n" + WriteFailureText(d.pdf.Error(), d.pdf.SystemError());
            return false;
        }
        // A fresh writer for every document: one that failed once keeps
        // failing (it wrote every later document empty).
        auto fresh = std::make_unique<QPrinter>(QPrinter::HighResolution);
        fresh->setPageLayout(d.printer->pageLayout());
        fresh->setOutputFormat(QPrinter::PdfFormat);
        fresh->setOutputFileName(
            QFile::decodeName(QByteArray::fromStdString(d.pdf.TemporaryName())));
        CanvasAttachDevice(d.canvas, fresh.get(), false);
        d.printer = std::move(fresh);
    }
    d.printer->setDocName(SjisToQString(title));
    if (!CanvasBegin(d.canvas)) {
        d.pdf.Discard();
        d.error = d.pdfName;
        return false;
    }
    d.printing = true;
    d.pages = 1;
    return true;
}

bool TPrinter::NewPage() {
    if (!impl_->printing) return false;
    if (!impl_->printer->newPage()) return false;
    ++impl_->pages;
    return true;
}

bool TPrinter::EndDoc() {
    Impl& d = *impl_;
    if (!d.printing) return true;
    const bool painted = CanvasEnd(d.canvas);
    d.printing = false;
    if (d.pdfName.empty()) {
        if (!painted) d.error = "印刷を終えられませんでした"_sj;
        return painted;
    }
    // The document was written to the temporary by its own writer: it
    // takes the file's place only when it is complete.
    if (painted && EndsAsAPdf(d.pdf.TemporaryName()) && d.pdf.Commit()) return true;
    const std::string cause = WriteFailureText(d.pdf.Error(), d.pdf.SystemError());
    d.pdf.Discard();
    d.error =
        d.pdfName + "\n" +
        (cause.empty()
             ? "最後まで書けませんでした（ディスクの空きが足りないか、ファイルの大きさの上限を超えます）"_sj
             : cause);
    return false;
}

const std::string& TPrinter::ErrorText() const { return impl_->error; }

bool TPrinter::Printing() const { return impl_->printing; }
int TPrinter::PageCount() const { return impl_->pages; }
TCanvas& TPrinter::Canvas() { return impl_->canvas; }

int TPrinter::PageWidth() const { return impl_->printer->width(); }
int TPrinter::PageHeight() const { return impl_->printer->height(); }
int TPrinter::PixelsPerInchX() const { return impl_->printer->logicalDpiX(); }
int TPrinter::PixelsPerInchY() const { return impl_->printer->logicalDpiY(); }

int TPrinter::PhysicalOffsetX() const {
    const QPrinter& p = *impl_->printer;
    return static_cast<int>(p.pageRect(QPrinter::DevicePixel).left() -
                            p.paperRect(QPrinter::DevicePixel).left());
}

int TPrinter::PhysicalOffsetY() const {
    const QPrinter& p = *impl_->printer;
    return static_cast<int>(p.pageRect(QPrinter::DevicePixel).top() -
                            p.paperRect(QPrinter::DevicePixel).top());
}

QPrinter& PrinterDevice(TPrinter& printer) { return *printer.impl().printer; }
