#pragma once

#include "platform/ui/Presenter.h"

#include <string>
#include <vector>

namespace folio::test {

// Installs itself for the life of a test and writes down what the model told it.
class RecordingPresenter : public Presenter {
public:
    RecordingPresenter() { Presenter::setCurrent(this); }
    ~RecordingPresenter() override { Presenter::setCurrent(nullptr); }

    void controllerDidPresent(ViewController& presenting, ViewController& presented) override
    {
        presentations.push_back({&presenting, &presented});
    }
    void controllerWillDismiss(ViewController& presented) override { dismissals.push_back(&presented); }
    void menuRequested(Menu& menu, const void* anchor) override { menus.push_back({&menu, anchor}); }
    void navigationItemDidChange(NavigationItem&) override { ++navigationItemChanges; }
    void navigationStackDidChange(NavigationController&) override { ++stackChanges; }
    void tableViewDidReload(TableView&) override { ++tableReloads; }
    void editMenuVisibilityDidChange(MenuController&) override { ++editMenuChanges; }
    void progressHUDDidChange(ProgressHUD&) override { ++hudChanges; }

    struct Presentation {
        ViewController* presenting;
        ViewController* presented;
    };
    struct MenuRequest {
        Menu* menu;
        const void* anchor;
    };
    std::vector<Presentation> presentations;
    std::vector<ViewController*> dismissals;
    std::vector<MenuRequest> menus;
    int navigationItemChanges = 0;
    int stackChanges = 0;
    int tableReloads = 0;
    int editMenuChanges = 0;
    int hudChanges = 0;
};

} // namespace folio::test
