#include "qt/DocumentViewer.h"

#include "qt/BarButton.h"
#include "qt/Conversions.h"
#include "qt/MirrorContext.h"
#include "ui/SafariViewController.h"

#include <QBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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
      network_(new QNetworkAccessManager(this)), page_(new QTextBrowser(this)), address_(new QLabel(this)),
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
  if (reply_) reply_->abort();
  status_->setText(QStringLiteral("Cargando…"));
  status_->show();
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setTransferTimeout(60000);
  reply_ = network_->get(request);
  QNetworkReply* reply = reply_;
  connect(reply, &QNetworkReply::finished, this, [this, reply] { arrived(reply); });
}

void DocumentViewer::arrived(QNetworkReply* reply) {
  reply->deleteLater();
  if (reply != reply_) return;
  reply_ = nullptr;
  const QUrl url = reply->url();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toLower();
  if (reply->error() != QNetworkReply::NoError || status != 200) {
    status_->setText(QStringLiteral("No se pudo abrir el documento (%1).")
                         .arg(status ? QString::number(status) : reply->errorString()));
    status_->show();
    emit finishedLoading();
    return;
  }
  if (type.startsWith(QLatin1String("text/html")) || type.startsWith(QLatin1String("text/plain"))) {
    const QByteArray body = reply->readAll();
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
  if (reply_) reply_->abort();
  if (auto browser = browser_.lock()) browser->done();
  context_.modelChanged();
  hide();
}

void DocumentViewer::reject() { close(false); }

}  // namespace instala::desktop
