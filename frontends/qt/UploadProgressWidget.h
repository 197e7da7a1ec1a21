#pragma once
// The progress of step three's submission under its "Finalizar" button: a
// thin bar and "Enviando 1.2 MB de 3.4 MB", from what the screen exposes
// while its upload runs.

#include <QWidget>

#include <cstdint>

namespace instala::desktop {

class MirrorContext;

class UploadProgressWidget : public QWidget {
  Q_OBJECT

 public:
  static constexpr int stripHeight = 16;

  UploadProgressWidget(MirrorContext& context, QWidget* parent = nullptr);

  void setProgress(std::uint64_t sent, std::uint64_t total);
  QString text() const;
  // "512 B", "12.3 KB", "4.5 MB".
  static QString byteCount(std::uint64_t bytes);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  MirrorContext& context_;
  std::uint64_t sent_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace instala::desktop
