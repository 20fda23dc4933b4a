#pragma once
// The help window: the topic on the right, the list of topics on the left, back, forward
// and start page above. The main help window is "HelpForm"; a named window such as "sub"
// is a smaller one without the list, "HelpForm_sub".
#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <memory>

#include "ui/help/helpfile.h"

class QAction;
class QListWidget;
class QSplitter;

namespace dtool {

// The text browser of the help window: it reads its pages from the help file.
class THelpBrowser : public QTextBrowser {
  Q_OBJECT
public:
  explicit THelpBrowser(QWidget* parent = nullptr);

  // What the window shows: the help file (null when it could not be read), its path and,
  // for a file that could not be read, the reason.
  void Bind(std::shared_ptr<const THelpFile> file, const QString& path, const QString& error);
  const THelpFile* File() const { return file_.get(); }

  // Address of a topic in the current file.
  QUrl TopicUrl(const QString& id) const;
  // Topic id of an address, empty for any other address.
  QString TopicIdOf(const QUrl& url) const;

  QVariant loadResource(int type, const QUrl& name) override;

private:
  QString PageHtml(const QString& id) const;

  std::shared_ptr<const THelpFile> file_;
  QString path_;
  QString error_;
  int generation_ = 0;
};

class THelpForm : public QWidget {
  Q_OBJECT
public:
  // windowName: empty for the main help window, otherwise the name of a secondary window.
  explicit THelpForm(const QString& windowName, QWidget* parent = nullptr);
  ~THelpForm() override;

  // Shows the topic of a help context of the given file, scrolled to the context's anchor
  // when the context is one; file is null when the file could not be read, with the reason
  // in error. False when the topic is not shown.
  bool ShowContext(std::shared_ptr<const THelpFile> file, const QString& path, const QString& error,
                   int context);

  const QString& WindowName() const { return windowName_; }
  // Help context shown (or asked for): the anchor's when the page is scrolled to one, else
  // the topic's; -1 for a topic without one.
  int CurrentContext() const;
  // Id of the topic shown, and whether the help file has it.
  QString CurrentTopicId() const;
  // Id of the anchor the topic was shown at, empty for the topic's top.
  QString CurrentAnchor() const;
  bool CurrentTopicFound() const;
  // Title of the page shown.
  QString CurrentTitle() const;

  THelpBrowser* Browser() const { return browser_; }
  QListWidget* Contents() const { return contents_; }

  void Back();
  void Forward();
  void Home();

  // Keeps the window usable while a modal dialog runs: it becomes a transient window of the
  // dialog until that dialog hides.
  void AttachToModalWindow();

protected:
  bool event(QEvent* event) override;

private:
  // Shows a topic, at an anchor inside it when one is given.
  void ShowTopic(const QString& id, const QString& anchor = QString());
  QString TitleOf(const QString& id) const;
  void AnchorClicked(const QUrl& url);
  void SourceChanged(const QUrl& url);
  void RefreshTexts();
  void FillContents();

  QString windowName_;
  THelpBrowser* browser_ = nullptr;
  QListWidget* contents_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QAction* backAct_ = nullptr;
  QAction* forwardAct_ = nullptr;
  QAction* homeAct_ = nullptr;
  QPointer<QWindow> owner_;
};

} // namespace dtool
