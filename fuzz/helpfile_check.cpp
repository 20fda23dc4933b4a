// The help file: its topics have unique ids, each reached by its id and its context, and each
// anchor leads into the one topic that holds it.
#include "fuzz/fuzzcheck.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QSet>
#include <QString>

#include "ui/help/helpfile.h"

namespace dtool::fuzz {
namespace {

// The titles are taken from HTML by Qt's text document, which wants a GUI application; the
// check makes one (offscreen) when it runs without.
void EnsureApplication() {
  if (QCoreApplication::instance() != nullptr)
    return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "dtool-fuzz-helpfile";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

std::string Std(const QString& s) {
  return s.toStdString();
}

} // namespace

void CheckHelpFile(const std::uint8_t* data, std::size_t size) {
  EnsureApplication();
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  THelpFile help;
  QString error;
  const bool parsed = help.Parse(text, &error);
  FUZZ_REQUIRE(parsed == !help.Topics().isEmpty(), "parsed without topics, or topics refused");
  FUZZ_REQUIRE(parsed || !error.isEmpty(), "refused without a reason");

  QSet<QString> ids;
  for (const THelpTopic& topic : help.Topics()) {
    FUZZ_REQUIRE(!topic.id.isEmpty() && topic.id == topic.id.trimmed(),
                 "topic id " + Std(topic.id));
    FUZZ_REQUIRE(!ids.contains(topic.id), "two topics with the id " + Std(topic.id));
    ids.insert(topic.id);
    FUZZ_REQUIRE(!topic.title.isEmpty(), "no title for " + Std(topic.id));
    FUZZ_REQUIRE(help.TopicById(topic.id) == &topic, "the id does not lead to its topic");
    FUZZ_REQUIRE(topic.context == ContextOfTopicId(topic.id), "context of " + Std(topic.id));
    if (topic.context >= 0) {
      FUZZ_REQUIRE(help.TopicByContext(topic.context) == &topic,
                   "context " + std::to_string(topic.context) + " leads elsewhere");
      const THelpTarget target = help.TargetByContext(topic.context);
      FUZZ_REQUIRE(target.topic == &topic && target.anchor.isEmpty(),
                   "target of context " + std::to_string(topic.context));
    }
  }
  QSet<QString> anchors;
  for (const THelpTopic& topic : help.Topics())
    for (const QString& anchor : topic.anchors) {
      FUZZ_REQUIRE(ContextOfTopicId(anchor) >= 0, "anchor " + Std(anchor));
      FUZZ_REQUIRE(!ids.contains(anchor), "an anchor repeats a topic's id: " + Std(anchor));
      FUZZ_REQUIRE(!anchors.contains(anchor), "two anchors " + Std(anchor));
      anchors.insert(anchor);
      const THelpTarget target = help.TargetById(anchor);
      FUZZ_REQUIRE(target.topic == &topic && target.anchor == anchor, "anchor " + Std(anchor));
      const THelpTarget byContext = help.TargetByContext(ContextOfTopicId(anchor));
      FUZZ_REQUIRE(byContext.topic == &topic && byContext.anchor == anchor,
                   "context of anchor " + Std(anchor));
    }
  help.Text(QStringLiteral("caption"), QStringLiteral("fallback"));
}

} // namespace dtool::fuzz
