#include "qt/DocumentViewer.h"

#include "qt/BarButton.h"
#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/SafariViewController.h"

#include <QBoxLayout>
#include <QLabel>
#include <QTextBrowser>

namespace instala::desktop {
namespace {

// The only addresses that may leave the application: a server page's link to
// a file, a mail client or another program's scheme stays inside.
bool isWebAddress(const QUrl& url) {
  return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

}  // namespace

DocumentViewer::DocumentViewer(const std::shared_ptr<ui::SafariViewController>& browser, MirrorContext& context,
                               ExternalOpener openExternally, QWidget* parent)
    : QDialog(parent), browser_(browser), context_(context), openExternally_(std::move(openExternally)),
      page_(new QTextBrowser(this)), address_(new QLabel(this)),
      status_(new QLabel(this)) {
  setWindowModality(Qt::WindowModal);
  setWindowTitle(QStringLiteral("Documento"));
  resize(parent ? parent->size() : QSize(390, 844));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QHBoxLayout();
  bar->setContentsMargins(4, 0, 8, 0);
  auto* done = new BarButton(this);
  done->setText(QStringLiteral("Listo"));
  done->setFont(context.fonts().systemFont(17, true));
  connect(done, &QAbstractButton::clicked, this, &DocumentViewer::reject);
  bar->addWidget(done);
  address_->setFont(context.fonts().systemFont(13));
  address_->setAlignment(Qt::AlignCenter);
  address_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bar->addWidget(address_, 1);
  layout->addLayout(bar);
  status_->setFont(context.fonts().systemFont(13));
  status_->setAlignment(Qt::AlignCenter);
  status_->setWordWrap(true);
  layout->addWidget(status_);
  page_->setOpenLinks(false);
  page_->setFrameShape(QFrame::NoFrame);
  layout->addWidget(page_, 1);
  // Links load in the viewer; what it cannot show goes to the desktop from arrived(), web addresses only.
  connect(page_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
    const QUrl target = current_.isValid() ? current_.resolved(link) : link;
    if (isWebAddress(target)) {
      load(target);
    } else {
      status_->setText(QStringLiteral("Este enlace no se puede abrir."));
      status_->show();
    }
  });
  load(QUrl(toQString(browser->url())));
}

QString DocumentViewer::statusText() const { return status_->text(); }

void DocumentViewer::load(const QUrl& url) {
  address_->setText(url.host().isEmpty() ? url.toString() : url.host());
  if (!isWebAddress(url)) {
    status_->setText(QStringLiteral("La dirección del documento no es válida."));
    status_->show();
    emit finishedLoading();
    return;
  }
  cancelLoading();
  status_->setText(QStringLiteral("Cargando…"));
  status_->show();
  WebModule* web = context_.webModules().module();
  if (!web) {
    status_->setText(QStringLiteral("No se pudo abrir el documento (%1).").arg(context_.webModules().errorString()));
    emit finishedLoading();
    return;
  }
  WebRequest request;
  request.url = url;
  loading_ = web->get(request, [this](const WebAnswer& answer) {
    loading_ = 0;
    arrived(answer);
  });
}

void DocumentViewer::cancelLoading() {
  if (loading_ == 0) return;
  if (WebModule* web = context_.webModules().module()) web->cancel(loading_);
  loading_ = 0;
}

DocumentViewer::~DocumentViewer() { cancelLoading(); }

void DocumentViewer::arrived(const WebAnswer& answer) {
  const QUrl& url = answer.url;
  const int status = answer.status;
  const QString type = answer.contentType.toLower();
  if (!answer.error.isEmpty() || status != 200) {
    status_->setText(QStringLiteral("No se pudo abrir el documento (%1).")
                         .arg(status ? QString::number(status) : answer.error));
    status_->show();
    emit finishedLoading();
    return;
  }
  if (type.startsWith(QLatin1String("text/html")) || type.startsWith(QLatin1String("text/plain"))) {
    const QByteArray& body = answer.body;
    page_->clearHistory();
    if (type.startsWith(QLatin1String("text/html"))) {
      page_->setHtml(QString::fromUtf8(body));
    } else {
      page_->setPlainText(QString::fromUtf8(body));
    }
    current_ = url;
    status_->hide();
    emit finishedLoading();
    return;
  }
  // The viewer shows HTML and text only; the desktop's browser opens the rest.
  const bool handed = isWebAddress(url) && openExternally_ && openExternally_(url);
  emit finishedLoading();
  if (handed) {
    close(true);
  } else {
    status_->setText(QStringLiteral("Este documento no se puede mostrar aquí."));
    status_->show();
  }
}

void DocumentViewer::close(bool) {
  if (closed_) return;
  closed_ = true;
  cancelLoading();
  if (auto browser = browser_.lock()) browser->done();
  context_.modelChanged();
  hide();
}

void DocumentViewer::reject() { close(false); }

}  // namespace instala::desktop
