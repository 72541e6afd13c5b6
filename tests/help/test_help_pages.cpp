// SPDX-License-Identifier: GPL-3.0-or-later
// The manuals as the help window shows them, English and Chinese: every page
// compiled in, every link, picture and style sheet of a page found among the
// compiled-in files, every page reachable from default.htm, and a Chinese
// page for every English one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <set>
#include <vector>

namespace {

// A browser that remembers every resource a page asked for and did not get.
class CheckingBrowser : public QTextBrowser {
 public:
  QStringList missing;

  QVariant loadResource(int type, const QUrl& name) override {
    QVariant data = QTextBrowser::loadResource(type, name);
    if (data.isNull()) missing << name.toString();
    return data;
  }
};

struct References {
  QStringList links;
  QStringList pictures;
};

// The link targets and picture names of a page, as written in it (table cells
// included: their blocks belong to the document's block list).
References CollectReferences(const QTextDocument& document) {
  References found;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (format.isImageFormat()) found.pictures << format.toImageFormat().name();
      if (format.isAnchor() && !format.anchorHref().isEmpty()) found.links << format.anchorHref();
    }
  }
  return found;
}

QString ResourcePath(const QUrl& url) { return QStringLiteral(":") + url.path(); }

bool HasAnchor(const QString& page, const QString& name) {
  QFile file(page);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString text = QString::fromUtf8(file.readAll());
  return text.contains(QStringLiteral("name=\"%1\"").arg(name)) ||
         text.contains(QStringLiteral("id=\"%1\"").arg(name));
}

// The page names of one manual's folder.
std::set<QString> PagesIn(const QString& folder) {
  std::set<QString> pages;
  QDirIterator it(folder, {QStringLiteral("*.htm")}, QDir::Files);
  while (it.hasNext()) pages.insert(it.next().mid(folder.size()));
  return pages;
}

class HelpPages : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpPages, EveryReferenceResolvesAndEveryPageIsReachableFromTheFirst) {
  const QString folder = QString::fromLatin1(GetParam());
  const QString first = folder + QStringLiteral("/default.htm");
  std::set<QString> pages;
  for (const QString& name : PagesIn(folder)) pages.insert(folder + name);
  ASSERT_TRUE(pages.count(first)) << "no default.htm among the compiled-in pages";

  std::set<QString> reached;
  std::vector<QString> queue{first};
  while (!queue.empty()) {
    const QString page = queue.back();
    queue.pop_back();
    if (!reached.insert(page).second) continue;
    SCOPED_TRACE(page.toStdString());

    CheckingBrowser browser;
    const QUrl source(QStringLiteral("qrc") + page);
    browser.setSource(source);
    EXPECT_FALSE(browser.document()->isEmpty());
    const References references = CollectReferences(*browser.document());
    for (const QString& picture : references.pictures) {
      browser.document()->resource(QTextDocument::ImageResource, source.resolved(QUrl(picture)));
    }
    for (const QString& link : references.links) {
      const QUrl target = source.resolved(QUrl(link));
      ASSERT_EQ(target.scheme(), QStringLiteral("qrc")) << link.toStdString() << " leads out of the manual";
      const QString path = ResourcePath(target);
      EXPECT_TRUE(QFile::exists(path)) << "link to a missing page: " << link.toStdString();
      if (target.hasFragment()) {
        EXPECT_TRUE(HasAnchor(path, target.fragment())) << "no anchor for " << link.toStdString();
      }
      if (pages.count(path)) queue.push_back(path);
    }
    EXPECT_TRUE(browser.missing.isEmpty())
        << "missing pictures or style sheets: " << browser.missing.join(", ").toStdString();
  }
  for (const QString& page : pages) {
    EXPECT_TRUE(reached.count(page)) << page.toStdString() << " has no link leading to it";
  }
}

INSTANTIATE_TEST_SUITE_P(Manuals, HelpPages, ::testing::Values(":/help", ":/help/zh_CN"));

TEST(HelpManuals, TheChineseManualHasEveryPageOfTheEnglishOne) {
  EXPECT_EQ(PagesIn(QStringLiteral(":/help/zh_CN")), PagesIn(QStringLiteral(":/help")));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
