#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

class QLabel;
class QScrollBar;
class QWidget;

namespace trovel::catalogue {
class WizardWindow;
}

namespace trovel::space {

class DriveRow;
using DriveRowList = std::vector<DriveRow*>;

// The drive catalogue: one row per local fixed drive other than the system drive, and
// the choice of the target drive against the size of the selected folders.
class DriveCatalogue {
public:
    explicit DriveCatalogue(catalogue::WizardWindow* Owner);
    ~DriveCatalogue();

    // Rebuilds every row from the platform's volumes, on page `Obj`.
    void GetDrivesInfo(QWidget* Obj, QScrollBar* scrollBar);
    void ListDrives(QWidget* Obj, QScrollBar* scrollBar);
    // Applies the state of row `id`'s box; true when that drive can take the selected folders.
    bool SelectDrive(int id);
    void SetScrollBar(int i);
    void Sort(int sortID);
    void SortByName();
    void SortByPath();
    void SortBySize();
    // Renumbers the rows in their order and lays them out again.
    void RefreshList();

    catalogue::WizardWindow* FDDOwner;
    DriveRowList vObjarr;
    int FDCount = 0;
    int IDSelecyed = -1;
    int vSortCriteria = 0;
    // Fixed drives not offered, with the reason, and the line under the list that names them.
    std::vector<std::pair<std::string, platform::TargetRefusal>> vLeftOut;
    QLabel* lleftout = nullptr;

private:
    void Unchoose(DriveRow* row);
    void PlaceLeftOutNote(QWidget* page);
};

}  // namespace trovel::space
