#include "ui/help/helpform.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>

#include <utility>

#include "resources/pictures.h"

namespace dtool {

namespace {

const QString Scheme = QStringLiteral("dtoolhelp");

// Look of the pages when the help file brings no style sheet of its own.
const QString FallbackStyleSheet = QStringLiteral(
    "h1 { font-size: 15pt; color: #24548c; } p { margin-top: 4px; margin-bottom: 6px; }");

QString Page(const QString& body) {
  return QStringLiteral("<html><body>%1</body></html>").arg(body);
}

} // namespace

// ---- THelpBrowser ------------------------------------------------------------------------

THelpBrowser::THelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setFrameShape(QFrame::NoFrame);
  document()->setDocumentMargin(18);
  document()->setDefaultStyleSheet(FallbackStyleSheet);
}

void THelpBrowser::Bind(std::shared_ptr<const THelpFile> file, const QString& path,
                        const QString& error) {
  file_ = std::move(file);
  path_ = path;
  error_ = error;
  ++generation_;
  const QString css = file_ ? file_->StyleSheet() : QString();
  document()->setDefaultStyleSheet(css.trimmed().isEmpty() ? FallbackStyleSheet : css);
  clearHistory();
}

QUrl THelpBrowser::TopicUrl(const QString& id) const {
  QUrl url;
  url.setScheme(Scheme);
  url.setHost(QStringLiteral("f%1").arg(generation_));
  url.setPath(QLatin1Char('/') + id);
  return url;
}

QString THelpBrowser::TopicIdOf(const QUrl& url) const {
  if (url.scheme() != Scheme)
    return QString();
  return url.path().mid(1);
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
  if (name.scheme() == Scheme)
    return type == QTextDocument::HtmlResource ? QVariant(PageHtml(TopicIdOf(name))) : QVariant();
  // Pictures may come from the program's own resources; nothing is read from elsewhere.
  if (name.scheme() == QLatin1String("qrc"))
    return QTextBrowser::loadResource(type, name);
  return QVariant();
}

QString THelpBrowser::PageHtml(const QString& id) const {
  if (!file_) {
    QString body = QStringLiteral("<h1>Help file not available</h1>");
    if (path_.isEmpty())
      body += QStringLiteral("<p>No help file has been chosen.</p>");
    else
      body += QStringLiteral("<p>The help file could not be opened:</p><p><tt>%1</tt></p>")
                  .arg(path_.toHtmlEscaped());
    if (!error_.isEmpty())
      body += QStringLiteral("<p>%1</p>").arg(error_.toHtmlEscaped());
    return Page(body);
  }
  if (const THelpTopic* topic = file_->TopicById(id))
    return Page(topic->body);
  const int context = ContextOfTopicId(id);
  const QString what = context >= 0 ? QString::number(context) : id;
  return Page(
      QStringLiteral("<h1>%1</h1><p>%2</p>")
          .arg(file_->Text(QStringLiteral("notfound-title"), QStringLiteral("Topic not found"))
                   .toHtmlEscaped(),
               file_
                   ->Text(QStringLiteral("notfound-text"),
                          QStringLiteral("This help file has no topic for the help context %1."))
                   .toHtmlEscaped()
                   .replace(QLatin1String("%1"), what.toHtmlEscaped())));
}

// ---- THelpForm ---------------------------------------------------------------------------

THelpForm::THelpForm(const QString& windowName, QWidget* parent)
    : QWidget(parent, Qt::Window), windowName_(windowName) {
  setObjectName(windowName.isEmpty() ? QStringLiteral("HelpForm")
                                     : QStringLiteral("HelpForm_") + windowName);
  // A help window left open does not keep the program running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowIcon(AppIcon());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("HelpToolBar"));
  bar->setIconSize(QSize(16, 16));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->setStyleSheet(QStringLiteral(
      "QToolBar { border: none; border-bottom: 1px solid #c9d0d7; padding: 3px 6px; }"));
  backAct_ = bar->addAction(HelpGlyph(THelpGlyph::Back), QString(), this, &THelpForm::Back);
  backAct_->setObjectName(QStringLiteral("HelpBackAct"));
  backAct_->setShortcut(QKeySequence::Back);
  forwardAct_ =
      bar->addAction(HelpGlyph(THelpGlyph::Forward), QString(), this, &THelpForm::Forward);
  forwardAct_->setObjectName(QStringLiteral("HelpForwardAct"));
  forwardAct_->setShortcut(QKeySequence::Forward);
  homeAct_ = bar->addAction(HelpGlyph(THelpGlyph::Home), QString(), this, &THelpForm::Home);
  homeAct_->setObjectName(QStringLiteral("HelpHomeAct"));
  backAct_->setEnabled(false);
  forwardAct_->setEnabled(false);
  layout->addWidget(bar);

  browser_ = new THelpBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  contents_ = new QListWidget(this);
  contents_->setObjectName(QStringLiteral("HelpContents"));
  contents_->setFrameShape(QFrame::NoFrame);
  contents_->setWordWrap(true);
  contents_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  contents_->setStyleSheet(QStringLiteral(
      "QListWidget { background: #f4f6f8; padding-top: 6px; }"
      "QListWidget::item { padding: 5px 10px; border: none; color: #1f2a33; }"
      "QListWidget::item:hover { background: #e6edf5; }"
      "QListWidget::item:selected { padding: 5px 10px; background: #2f6db5; color: white; }"));
  splitter_ = new QSplitter(this);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(contents_);
  splitter_->addWidget(browser_);
  splitter_->setStretchFactor(1, 1);
  layout->addWidget(splitter_, 1);

  if (windowName_.isEmpty()) {
    splitter_->setSizes({240, 640});
    resize(880, 620);
  } else {
    // A secondary window is a compact one beside the program's dialogs.
    contents_->hide();
    resize(560, 480);
  }

  connect(browser_, &QTextBrowser::anchorClicked, this, &THelpForm::AnchorClicked);
  connect(browser_, &QTextBrowser::sourceChanged, this, &THelpForm::SourceChanged);
  connect(browser_, &QTextBrowser::backwardAvailable, backAct_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forwardAct_, &QAction::setEnabled);
  connect(contents_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (QListWidgetItem* item = contents_->item(row)) {
      const QString id = item->data(Qt::UserRole).toString();
      if (id != CurrentTopicId())
        ShowTopic(id);
    }
  });
  RefreshTexts();
}

THelpForm::~THelpForm() = default;

bool THelpForm::ShowContext(std::shared_ptr<const THelpFile> file, const QString& path,
                            const QString& error, int context) {
  const THelpTarget target = file ? file->TargetByContext(context) : THelpTarget{};
  const bool newFile = file.get() != browser_->File() || !file;
  if (newFile) {
    browser_->Bind(std::move(file), path, error);
    RefreshTexts();
    FillContents();
  }
  if (target.Found())
    ShowTopic(target.topic->id, target.anchor);
  else
    ShowTopic(TopicIdOfContext(context));
  // Pages of another file do not belong to this one's history.
  if (newFile)
    browser_->clearHistory();
  return target.Found();
}

int THelpForm::CurrentContext() const {
  const QString anchor = CurrentAnchor();
  return ContextOfTopicId(anchor.isEmpty() ? CurrentTopicId() : anchor);
}

QString THelpForm::CurrentAnchor() const {
  return browser_->source().fragment();
}

QString THelpForm::CurrentTopicId() const {
  return browser_->TopicIdOf(browser_->source());
}

bool THelpForm::CurrentTopicFound() const {
  return browser_->File() && browser_->File()->TopicById(CurrentTopicId());
}

QString THelpForm::CurrentTitle() const {
  return TitleOf(CurrentTopicId());
}

QString THelpForm::TitleOf(const QString& id) const {
  const THelpFile* file = browser_->File();
  if (!file)
    return QStringLiteral("Help file not available");
  if (const THelpTopic* topic = file->TopicById(id))
    return topic->title;
  return file->Text(QStringLiteral("notfound-title"), QStringLiteral("Topic not found"));
}

void THelpForm::Back() {
  browser_->backward();
}

void THelpForm::Forward() {
  browser_->forward();
}

void THelpForm::Home() {
  const THelpFile* file = browser_->File();
  if (file && !file->Topics().isEmpty())
    ShowTopic(file->Topics().first().id);
}

void THelpForm::ShowTopic(const QString& id, const QString& anchor) {
  QUrl url = browser_->TopicUrl(id);
  if (!anchor.isEmpty())
    url.setFragment(anchor);
  browser_->setSource(url, QTextDocument::HtmlResource);
}

void THelpForm::AnchorClicked(const QUrl& url) {
  const QString scheme = url.scheme();
  if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
      scheme == QLatin1String("mailto")) {
    QDesktopServices::openUrl(url);
    return;
  }
  const QString fragment = url.fragment();
  if (fragment.isEmpty() || (!scheme.isEmpty() && scheme != Scheme))
    return;
  const THelpFile* file = browser_->File();
  const THelpTarget target = file ? file->TargetById(fragment) : THelpTarget{};
  if (target.Found())
    ShowTopic(target.topic->id, target.anchor);
  else if (ContextOfTopicId(fragment) >= 0)
    ShowTopic(fragment);
  else
    browser_->scrollToAnchor(fragment);
}

void THelpForm::SourceChanged(const QUrl& url) {
  // The browser tells the new address before source() returns it.
  const QString id = browser_->TopicIdOf(url);
  const THelpFile* file = browser_->File();
  const QString help = file && !file->Title().isEmpty() ? file->Title() : QStringLiteral("Help");
  setWindowTitle(QStringLiteral("%1 - %2").arg(TitleOf(id), help));
  const QSignalBlocker block(contents_);
  contents_->setCurrentRow(-1);
  for (int row = 0; row < contents_->count(); ++row)
    if (contents_->item(row)->data(Qt::UserRole).toString() == id)
      contents_->setCurrentRow(row);
}

void THelpForm::RefreshTexts() {
  const THelpFile* file = browser_->File();
  const auto text = [file](const char* key, const char* fallback) {
    const QString plain = QString::fromLatin1(fallback);
    return file ? file->Text(QString::fromLatin1(key), plain) : plain;
  };
  backAct_->setText(text("back", "Back"));
  forwardAct_->setText(text("forward", "Forward"));
  homeAct_->setText(text("home", "Start page"));
}

void THelpForm::FillContents() {
  const QSignalBlocker block(contents_);
  contents_->clear();
  if (const THelpFile* file = browser_->File())
    for (const THelpTopic& topic : file->Topics()) {
      auto* item = new QListWidgetItem(topic.title, contents_);
      item->setData(Qt::UserRole, topic.id);
    }
}

bool THelpForm::event(QEvent* event) {
  // A modal dialog opened while the help shows would lock the help window; it joins the
  // dialog instead, once the dialog is up.
  if (event->type() == QEvent::WindowBlocked && isVisible())
    QTimer::singleShot(0, this, &THelpForm::AttachToModalWindow);
  return QWidget::event(event);
}

void THelpForm::AttachToModalWindow() {
  QWindow* modal = QGuiApplication::modalWindow();
  winId(); // the window handle exists from here on
  QWindow* own = windowHandle();
  if (!own || !modal || modal == own || own->transientParent() == modal)
    return;
  if (owner_)
    disconnect(owner_, nullptr, this, nullptr);
  owner_ = modal;
  own->setTransientParent(modal);
  // Released when the dialog hides, so the window never outlives its owner's handle.
  connect(modal, &QWindow::visibleChanged, this, [this](bool visible) {
    if (visible || !owner_)
      return;
    if (QWindow* handle = windowHandle(); handle && handle->transientParent() == owner_)
      handle->setTransientParent(nullptr);
    disconnect(owner_, nullptr, this, nullptr);
    owner_ = nullptr;
  });
}

} // namespace dtool
