#include "platform/qt/printer.h"

#include <QPageLayout>
#include <QPrinter>

#include "platform/qt/qt_bridge.h"
#include "platform/sysutils.h"

struct TPrinter::Impl {
    QPrinter printer{QPrinter::HighResolution};
    TCanvas canvas;
    bool printing = false;
    int pages = 0;
};

TPrinter::TPrinter() : impl_(std::make_unique<Impl>()) {
    impl_->printer.setPageSize(QPageSize(QPageSize::A4));
    impl_->printer.setPageOrientation(QPageLayout::Portrait);
    CanvasAttachDevice(impl_->canvas, &impl_->printer, false);
}

TPrinter::~TPrinter() { EndDoc(); }

void TPrinter::SetPdfFile(const std::string& fileName) {
    if (impl_->printing) return;
    impl_->printer.setOutputFormat(QPrinter::PdfFormat);
    impl_->printer.setOutputFileName(QString::fromStdString(OsFileName(fileName)));
}

void TPrinter::SetPrinterName(const std::string& name) {
    if (impl_->printing) return;
    impl_->printer.setOutputFormat(QPrinter::NativeFormat);
    impl_->printer.setPrinterName(SjisToQString(name));
}

std::string TPrinter::PrinterName() const { return QStringToSjis(impl_->printer.printerName()); }

bool TPrinter::BeginDoc(const std::string& title) {
    if (impl_->printing) return true;
    impl_->printer.setDocName(SjisToQString(title));
    if (!CanvasBegin(impl_->canvas)) return false;
    impl_->printing = true;
    impl_->pages = 1;
    return true;
}

bool TPrinter::NewPage() {
    if (!impl_->printing) return false;
    if (!impl_->printer.newPage()) return false;
    ++impl_->pages;
    return true;
}

void TPrinter::EndDoc() {
    if (!impl_->printing) return;
    CanvasEnd(impl_->canvas);
    impl_->printing = false;
}

bool TPrinter::Printing() const { return impl_->printing; }
int TPrinter::PageCount() const { return impl_->pages; }
TCanvas& TPrinter::Canvas() { return impl_->canvas; }

int TPrinter::PageWidth() const { return impl_->printer.width(); }
int TPrinter::PageHeight() const { return impl_->printer.height(); }
int TPrinter::PixelsPerInchX() const { return impl_->printer.logicalDpiX(); }
int TPrinter::PixelsPerInchY() const { return impl_->printer.logicalDpiY(); }

int TPrinter::PhysicalOffsetX() const {
    const QPrinter& p = impl_->printer;
    return static_cast<int>(p.pageRect(QPrinter::DevicePixel).left() -
                            p.paperRect(QPrinter::DevicePixel).left());
}

int TPrinter::PhysicalOffsetY() const {
    const QPrinter& p = impl_->printer;
    return static_cast<int>(p.pageRect(QPrinter::DevicePixel).top() -
                            p.paperRect(QPrinter::DevicePixel).top());
}

QPrinter& PrinterDevice(TPrinter& printer) { return printer.impl().printer; }
