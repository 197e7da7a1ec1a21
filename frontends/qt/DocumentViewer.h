#pragma once
// The model's in-application browser (SafariViewController). The document at
// its address is fetched over HTTP; an HTML page is shown in a viewer window
// inside the application (links inside it open in the same viewer), anything
// else (a PDF) goes to the desktop's browser. The model's browser is
// dismissed when the viewer closes ("Listo"), or right after handing the
// document to the desktop.

#include "qt/WebModule.h"

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>

class QLabel;
class QTextBrowser;

namespace instala::ui {
class SafariViewController;
}

namespace instala::desktop {

class MirrorContext;

class DocumentViewer : public QDialog {
  Q_OBJECT

 public:
  // How a document that the viewer cannot show leaves the application (QDesktopServices by default).
  using ExternalOpener = std::function<bool(const QUrl&)>;

  DocumentViewer(const std::shared_ptr<ui::SafariViewController>& browser, MirrorContext& context,
                 ExternalOpener openExternally, QWidget* parent = nullptr);
  // The page still loading is cancelled.
  ~DocumentViewer() override;

  QTextBrowser* page() const { return page_; }
  QString statusText() const;
  bool isLoading() const { return loading_ != 0; }
  void load(const QUrl& url);

 public slots:
  void reject() override;

 signals:
  void finishedLoading();

 private:
  void arrived(const WebAnswer& answer);
  void cancelLoading();
  void close(bool handedToDesktop);

  std::weak_ptr<ui::SafariViewController> browser_;
  MirrorContext& context_;
  ExternalOpener openExternally_;
  quint64 loading_ = 0;  // the web module's exchange under way, 0 when none
  QTextBrowser* page_;
  QLabel* address_;
  QLabel* status_;
  QUrl current_;
  bool closed_ = false;
};

}  // namespace instala::desktop
