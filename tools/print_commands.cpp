#include "print_commands.h"

#include <QDate>
#include <QGuiApplication>
#include <iostream>

#include "catalogue_ui/catalogue_reports.h"
#include "catalogue_ui/print_layer.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "tool_application.h"

namespace snx {

namespace {

int Fail(const std::string& message) {
    std::cerr << "sonatrix-catalogue: " << message << '\n';
    return 1;
}

// Reports are drawn with Qt's fonts, which need a GUI application; a terminal tool never shows a
// window, so it draws off screen and works without a display.
struct OffscreenUnlessChosen {
    OffscreenUnlessChosen() {
        if (QCoreApplication::instance() == nullptr &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
};
// The platform is chosen before the application starts: bases are built in this order.
struct PrintApplication : OffscreenUnlessChosen, ToolApplication<QGuiApplication> {};

bool IsPdf(const std::string& file) {
    return file.size() > 4 && (file.ends_with(".pdf") || file.ends_with(".PDF"));
}

}  // namespace

int PrintCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                 std::ostream& out) {
    std::string file;
    BrowseView view = BrowseView::Name;
    BrowseFilter filter;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!args[i].starts_with("--")) {
            if (!file.empty()) {
                return Fail("print: unexpected argument " + args[i]);
            }
            file = args[i];
            continue;
        }
        if (i + 1 >= args.size()) {
            return Fail("print: " + args[i] + " needs a value");
        }
        switch (TakeBrowseOption(args[i], args[i + 1], view, filter)) {
            case BrowseOption::Taken:
                break;
            case BrowseOption::BadView:
                return Fail("print: --by takes name, composer, artist, label or type");
            case BrowseOption::Unknown:
                return Fail("print: unknown option " + args[i]);
        }
        ++i;
    }
    if (!IsPdf(file)) {
        return Fail("print: give the PDF file to write (FILE.pdf)");
    }
    const std::vector<BrowseNode> tree = BuildBrowseTree(session.Catalogue(), view, filter);
    PrintApplication app;
    PrintLayer layer;
    layer.PrintToPdf(file);
    if (!PrintCatalogueListing(layer, session.Catalogue(), tree, view,
                               EffectiveCollectorName(AppSettings()), QDate::currentDate())) {
        return Fail("print: cannot write " + file);
    }
    out << "Printed " << layer.PageNumber() << (layer.PageNumber() == 1 ? " page" : " pages")
        << " to " << file << '\n';
    return 0;
}

int PrintDiscCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                     std::ostream& out) {
    std::vector<std::string> names;
    bool userFields = false;
    for (const std::string& arg : args) {
        if (arg == "--user-fields") {
            userFields = true;
        } else if (arg.starts_with("--")) {
            return Fail("print-disc: unknown option " + arg);
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() != 2 || !IsPdf(names[1])) {
        return Fail("print-disc: give the disc's identity and the PDF file to write");
    }
    DiscCatalogue& catalogue = session.Catalogue();
    std::int32_t number = 0;
    if (catalogue.OpenDiscFiles()) {
        number = FindKey(catalogue.Handle(), kKeyIdentity, KeyText(names[0], kKeyIdentity));
        catalogue.CloseDiscFiles();
    }
    if (number == 0) {
        return Fail("print-disc: no disc " + names[0] + " in the catalogue");
    }
    PrintApplication app;
    DiscSheet sheet;
    if (!LoadDiscSheet(catalogue, number, userFields, sheet)) {
        return 1;
    }
    PrintLayer layer;
    layer.PrintToPdf(names[1]);
    if (!PrintDiscSheet(layer, sheet, EffectiveCollectorName(AppSettings()))) {
        return Fail("print-disc: cannot write " + names[1]);
    }
    out << "Printed " << layer.PageNumber() << (layer.PageNumber() == 1 ? " page" : " pages")
        << " to " << names[1] << '\n';
    return 0;
}

}  // namespace snx
