// The help window: the program's own help pages, opened at a help topic number.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace snx {

constexpr int kHelpPlayMode = 1007;
constexpr int kHelpBitmap = 1005;
constexpr int kHelpConfiguration = 1011;
constexpr int kHelpContents = 1012;
constexpr int kHelpExport = 1024;
constexpr int kHelpImport = 1028;
constexpr int kHelpProgramme = 1014;
constexpr int kHelpFitTracks = 1025;
constexpr int kHelpTrack = 1020;
constexpr int kHelpDiscData = 1022;
constexpr int kHelpReferenceLists = 1045;
constexpr int kHelpDriveSelection = 1050;
constexpr int kHelpHandset = 1051;
constexpr int kHelpCatalogue = 1056;
constexpr int kHelpSmallHandset = 1052;
constexpr int kHelpTrackGrid = 1054;
constexpr int kHelpSelectPlay = 1038;
constexpr int kHelpRecording = 1043;

// The page of a topic, or the contents for a topic without a page of its own.
QString HelpPage(int topic);

// The topic F1 opens in a window: set on the window, found from any widget in it (0 for none).
void SetHelpContext(QWidget* window, int topic);
int HelpContextOf(const QWidget* widget);

class HelpWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the topic's page and brings the window forward.
    void ShowTopic(int topic);
    QString CurrentPage() const;

  private:
    QTextBrowser* browser_;
};

}  // namespace snx
