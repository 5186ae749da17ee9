// The catalogue browser over the generated catalogue, 10,000 discs and ten times as many: from
// the handset's browse command to the first painted tree, each of the five views, and a refresh
// filtered by a track text; and sorting the flat list by name.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <map>

#include "bench/support/bench_handset.h"
#include "bench/support/generated_discs.h"
#include "catalogue_ui/browse_model.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "settings/settings.h"
#include "ui_catalogue_dialog.h"

namespace {

namespace fs = std::filesystem;
using snx::bench::Handset;

// The generated discs stored count / 10,000 times over, each copy with identities of its own.
const fs::path& Catalogue(int count) {
    static std::map<int, fs::path> built;
    fs::path& dir = built[count];
    if (dir.empty()) {
        dir = snx::bench::NewDirectory("browserbench");
        snx::bench::CatalogueSession session(dir);
        // One transaction for the whole set: made quickly, flushed once.
        const snx::CatalogueScope scope(dir, snx::CatalogueAccess::Write);
        for (int copy = 0; copy * snx::bench::kGeneratedDiscs < count; ++copy) {
            for (const snx::bench::Disc& disc : snx::bench::Discs()) {
                snx::DiscRecord record = disc.Record;
                record.Identity[0] = "0123456789ABCDEF"[copy % 16];
                record.Name += copy > 0 ? " (" + std::to_string(copy) + ")" : "";
                snx::StringGrid tracks = disc.Tracks;
                tracks.SetCell(0, 0, record.Identity);
                snx::KeySnapshot keys;
                session.Catalogue.StoreDiscRecord(record, tracks, disc.Notes, keys);
            }
        }
    }
    return dir;
}

// The handset over the catalogue of that size, made once for each size. The catalogue's place
// is the settings' data directory, which is the program's one: it is pointed at this size's.
Handset& HandsetOver(int count) {
    static std::map<int, std::unique_ptr<Handset>> handsets;
    std::unique_ptr<Handset>& handset = handsets[count];
    snx::SetSettingsDirectories(Catalogue(count), Catalogue(count));
    snx::LoadSettings();
    if (handset) {
        snx::AppSettings().CdromInUse = handset->Drives.VirtualDriveIndex();
    } else {
        handset = std::make_unique<Handset>(Catalogue(count));
        handset->Window = std::make_unique<snx::TSnx>(handset->Device, handset->Session.Catalogue,
                                                      handset->Recording, handset->Wave, false);
        handset->Window->show();
        QApplication::processEvents();
    }
    return *handset;
}

// Waits for the browser's tree to paint, then closes the browser; the time is taken once the
// paint has been done.
class TreePaintWatch final : public QObject {
  public:
    QElapsedTimer Timer;
    qint64 Nanoseconds = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && Nanoseconds == 0 && watched->parent() != nullptr &&
            qobject_cast<QTreeView*>(watched->parent()) != nullptr &&
            qobject_cast<snx::TfrmCat*>(static_cast<QWidget*>(watched)->window()) != nullptr) {
            auto* browser = qobject_cast<snx::TfrmCat*>(static_cast<QWidget*>(watched)->window());
            QTimer::singleShot(0, browser, [this, browser] {
                Nanoseconds = Timer.nsecsElapsed();
                browser->reject();
            });
        }
        return false;
    }
};

void BM_BrowseToFirstPaintedTree(benchmark::State& state) {
    Handset& handset = HandsetOver(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TreePaintWatch watch;
        qApp->installEventFilter(&watch);
        watch.Timer.start();
        handset.Window->btnBrowseClick();
        qApp->removeEventFilter(&watch);
        if (watch.Nanoseconds == 0) {
            state.SkipWithError("the tree was never painted");
            break;
        }
        state.SetIterationTime(static_cast<double>(watch.Nanoseconds) / 1e9);
    }
}
BENCHMARK(BM_BrowseToFirstPaintedTree)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One refresh, started by the control, until the tree has been painted again.
void TimeRefresh(benchmark::State& state, const std::function<void(Ui::TfrmCat&)>& prepare,
                 const std::function<void(Ui::TfrmCat&)>& press) {
    Handset& handset = HandsetOver(static_cast<int>(state.range(0)));
    snx::TfrmCat browser(handset.Session.Catalogue, handset.Wave, handset.Window->Engine(),
                         handset.Window->Printing());
    browser.show();
    QApplication::processEvents();
    prepare(browser.Form());
    std::int64_t nodes = 0;
    for (auto _ : state) {
        press(browser.Form());
        browser.Form().TV->viewport()->repaint();
        nodes = browser.Model().rowCount();
    }
    state.counters["top_nodes"] = static_cast<double>(nodes);
}

void View(benchmark::State& state, QRadioButton* Ui::TfrmCat::*button) {
    TimeRefresh(
        state, [](Ui::TfrmCat&) {}, [button](Ui::TfrmCat& form) { (form.*button)->click(); });
}

void BM_ViewByName(benchmark::State& state) {
    View(state, &Ui::TfrmCat::rbName);
}
void BM_ViewByComposer(benchmark::State& state) {
    View(state, &Ui::TfrmCat::rbComp);
}
void BM_ViewByArtist(benchmark::State& state) {
    View(state, &Ui::TfrmCat::rbArt);
}
void BM_ViewByMusicType(benchmark::State& state) {
    View(state, &Ui::TfrmCat::rbType);
}
void BM_ViewByRecordLabel(benchmark::State& state) {
    View(state, &Ui::TfrmCat::rbLab);
}

// A track text of two words that a few percent of the discs have in some track.
void BM_RefreshFilteredByTrackText(benchmark::State& state) {
    TimeRefresh(
        state,
        [](Ui::TfrmCat& form) {
            form.cbFilter->setChecked(true);
            form.edTrack->setText(QStringLiteral("PRELUDE ROMANCE"));
        },
        [](Ui::TfrmCat& form) { form.btnRefresh->click(); });
}

// "Sort CDs by name" on the flat list, with the user's locale; each refresh before it untimed.
void BM_SortByName(benchmark::State& state) {
    Handset& handset = HandsetOver(static_cast<int>(state.range(0)));
    snx::TfrmCat browser(handset.Session.Catalogue, handset.Wave, handset.Window->Engine(),
                         handset.Window->Printing());
    browser.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        browser.Form().btnRefresh->click();
        state.ResumeTiming();
        browser.Form().btnSort->click();
        browser.Form().TV->viewport()->repaint();
    }
}

#define BROWSER_BENCH(name) BENCHMARK(name)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BROWSER_BENCH(BM_ViewByName);
BROWSER_BENCH(BM_ViewByComposer);
BROWSER_BENCH(BM_ViewByArtist);
BROWSER_BENCH(BM_ViewByMusicType);
BROWSER_BENCH(BM_ViewByRecordLabel);
BROWSER_BENCH(BM_RefreshFilteredByTrackText);
BROWSER_BENCH(BM_SortByName);

}  // namespace
