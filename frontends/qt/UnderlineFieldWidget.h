#pragma once
// A model text field, the application's underlined floating-placeholder field
// among them. What the field draws comes from its model: the underlines are
// its layer's sublayers (the thin inactive one, the thick active one while
// editing), the placeholder is its own label subview, mirrored like any label;
// the toolkit's placeholder is drawn only when the model draws it. The text is
// edited in a frameless line edit placed on the model's text rectangle (12
// points down for the underlined field), in password dots for secure entry.
//
// Input goes through the model: a click is a tap on the field (it becomes first
// responder only if the model lets it), and every edit of the line edit is
// turned into one replacement of a range of the model's text, which asks the
// field's delegate; a refused change is undone on screen. When the field ends
// editing empty, its placeholder label returns with the model's spring.

#include "qt/ViewWidget.h"

#include <QPointer>

#include <map>

class QLineEdit;

namespace instala::desktop {

class UnderlineFieldWidget : public ViewWidget {
  Q_OBJECT

 public:
  UnderlineFieldWidget(const std::shared_ptr<ui::View>& view, MirrorContext& context, QWidget* parent = nullptr);

  void syncFromModel(ui::View& view) override;
  void childrenSynced() override;
  QLineEdit* lineEdit() const { return edit_; }

  // The line edit's text changed (typing, deleting, pasting): one edit of the model.
  void textEdited(const QString& text);
  // The line edit was clicked while the model is not editing.
  void requestEditing();

 protected:
  bool highlightsRowOnPress() const override { return false; }

 private:
  QLineEdit* edit_;
  std::map<QObject*, bool> childShown_;
};

}  // namespace instala::desktop
