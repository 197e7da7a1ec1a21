#include "scenes/details/DocumentLinks.h"

#include "scenes/details/DocumentCell.h"
#include "ui/Nib.h"
#include "ui/SafariViewController.h"

#include "ScreenTest.h"

#include <gtest/gtest.h>

namespace instala {
namespace {

struct NameCase {
  std::string name;
  std::string document;
  std::string shown;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class DocumentName : public ::testing::TestWithParam<NameCase> {};

TEST_P(DocumentName, IsTheFifthPieceOrTheWholeText) { EXPECT_EQ(documentName(GetParam().document), GetParam().shown); }

INSTANTIATE_TEST_SUITE_P(Documents, DocumentName,
                         ::testing::Values(NameCase{"ThreeFolders", "/docs/tickets/42/manual.pdf", "manual.pdf"},
                                           NameCase{"DeeperPath", "/docs/manuales/gps/fmc130.pdf/anexo", "fmc130.pdf"},
                                           NameCase{"WithoutLeadingSlash", "a/b/c/d/e.pdf", "e.pdf"},
                                           NameCase{"FourPieces", "/docs/tickets/manual.pdf", "/docs/tickets/manual.pdf"},
                                           NameCase{"NoSlash", "manual.pdf", "manual.pdf"},
                                           NameCase{"EmptyFifthPiece", "/docs/tickets/42/", ""},
                                           NameCase{"Empty", "", ""}),
                         [](const auto& info) { return info.param.name; });

TEST(DocumentURL, IsTheBaseFollowedDirectlyByTheText) {
  EXPECT_EQ(documentURL("https://docs.instala.test", "/docs/tickets/42/manual.pdf"),
            "https://docs.instala.test/docs/tickets/42/manual.pdf");
  EXPECT_EQ(documentURL("http://127.0.0.1:8765/documents", "/docs/a.pdf?v=2"),
            "http://127.0.0.1:8765/documents/docs/a.pdf?v=2");
}

TEST(DocumentURL, AnAddressThatIsNoURLGivesNothing) {
  EXPECT_FALSE(documentURL("https://docs.instala.test", "/docs/manual de uso.pdf"));
  EXPECT_FALSE(documentURL("https://docs.instala.test", "/docs/instalación.pdf"));
  EXPECT_FALSE(documentURL("https://docs.instala.test", "/docs/100%.pdf"));
  EXPECT_FALSE(documentURL("", "/docs/manual.pdf"));
}

using DocumentOpening = testing::ScreenTest;

TEST_F(DocumentOpening, WithoutAKeyWindowRootNothingOpens) {
  openDocument("/docs/tickets/42/manual.pdf");  // no key window at all
  auto window = std::make_shared<ui::Window>();
  window->makeKeyAndVisible();
  openDocument("/docs/tickets/42/manual.pdf");  // a key window without a root screen
  EXPECT_FALSE(window->topPresentedViewController());
}

TEST_F(DocumentOpening, TheBrowserGoesOverTheTopMostPresentedScreen) {
  auto window = std::make_shared<ui::Window>();
  auto root = std::make_shared<ui::ViewController>();
  window->setRootViewController(root);
  window->makeKeyAndVisible();
  auto presented = std::make_shared<ui::ViewController>();
  root->present(presented, false);
  settle();
  EXPECT_EQ(documentBaseURL(), kDocumentBaseURL);
  openDocument("/docs/tickets/42/manual.pdf");
  auto browser = std::dynamic_pointer_cast<ui::SafariViewController>(presented->presentedViewController());
  ASSERT_TRUE(browser);
  EXPECT_EQ(browser->url(), std::string(kDocumentBaseURL) + "/docs/tickets/42/manual.pdf");
}

TEST_F(DocumentOpening, TheRowViewOpensOnlyThroughItsButton) {
  auto cell = std::dynamic_pointer_cast<DocumentCell>(ui::Nib::named("DocumentCell")->instantiate());
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->cardView.lock()->layer().shadowOpacity, 0.2);
  EXPECT_EQ(cell->cardView.lock()->layer().cornerRadius, 0);
  EXPECT_EQ(cell->documentView.lock()->layer().cornerRadius, 8);
  cell->downloadButtonHandler(nullptr);  // no action yet: nothing happens
  int runs = 0;
  cell->buttonAction = [&] { ++runs; };
  cell->downloadButton.lock()->sendActions(ui::ControlEvent::touchUpInside);
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace instala
