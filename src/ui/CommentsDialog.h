#pragma once

#include <optional>
#include <string>

#include <QDialog>

class QPlainTextEdit;

namespace orva {

// "Comments": the project's free text in a multi-line box. Its only button
// is "Done"; closing the window any other way keeps the comment as it was.
class CommentsDialog : public QDialog {
 public:
  CommentsDialog(const std::string& comments, QWidget* parent);

  // The box's text once "Done" was pressed; nothing otherwise.
  std::optional<std::string> result() const;
  // Runs the dialog; the text when the user pressed "Done".
  std::optional<std::string> run();

 private:
  std::string original_;
  QPlainTextEdit* box_ = nullptr;
};

}  // namespace orva
