#include "gui/common/StatusTable.h"

namespace quillon {

namespace {

constexpr const char* kBlank = "       ";

constexpr StatusEntry kStatus[kStatusEntryCount] = {
    {0, false, "No Err "}, {0, true, "Disabld"},  {2, true, "Init..."},  {2, true, "Heating"},
    {0, false, "Active "}, {2, false, "Cold!  "}, {2, false, "Hot!   "}, {3, true, "Unplugd"},
    {3, true, "Slow!  "},  {2, false, "Uncal! "}, {3, false, "Uncal! "}, {3, true, "Replace"},
    {0, true, "Disabld"},  {3, true, "Shortd!"},  {3, true, "Open!  "},  {2, false, "OverRng"},
    {2, false, "UndrRng"}, {3, true, "Undefnd"},  {3, true, "Error! "},  {3, true, "LOW Err"},
    {3, true, "HI Err "},  {0, false, kBlank},    {1, false, kBlank},    {2, false, kBlank},
    {3, false, kBlank},    {4, false, kBlank},    {5, false, kBlank},    {1, true, kBlank},
    {2, true, kBlank},     {3, true, kBlank},     {4, true, kBlank},     {5, true, kBlank},
    {3, true, "Stall! "},  {0, false, "Sync'd "}, {2, true, "Syncng "},  {3, true, "Error! "},
    {3, true, "Error! "},  {3, true, "NeedCal"},  {4, true, "OpenLp "},  {1, true, "CloseLp"},
    {4, true, "NoLearn"},  {1, true, "Learng "},  {5, true, kBlank},     {1, true, kBlank},
    {5, true, kBlank},     {3, true, "RevLim "},  {5, true, kBlank},     {3, true, "CutOff!"},
    {5, true, kBlank},     {3, true, "Warng! "},  {2, true, "Cautn! "},  {0, false, kBlank},
    {1, false, "Retard "}, {2, false, "Fixed  "},
};

constexpr StatusEntry kUnknown = {0, false, kBlank};

}  // namespace

const StatusEntry& GetStatusEntry(uint32_t status) {
    return status < uint32_t(kStatusEntryCount) ? kStatus[status] : kUnknown;
}

QColor LampColor(int lamp) {
    switch (lamp) {
        case 1:
            return QColor(0, 255, 0, 150);
        case 2:
            return QColor(255, 255, 0, 150);
        case 3:
            return QColor(255, 0, 0, 150);
        case 4:
            return QColor(0, 0, 255, 150);
        default:
            return QColor(150, 150, 150, 150);
    }
}

}  // namespace quillon
