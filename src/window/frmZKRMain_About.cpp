// The web panes' default pages and the About tab.
#include "runtime/app.h"
#include "runtime/report.h"
#include "window/frmZKRMain.h"

void frmZKRMain::wbBanner_NavigateError() {
    // The vendor's page is out of reach: the local banner stands in for it
    // rather than the browser's error page.
    std::string local = AppState.ApplicationPath + "defaultad.htm";
    if (wbBanner.LocationURL() != local) wbBanner.Navigate(local);
}

void frmZKRMain::zkr_SetOfflineDefaults() {
    try {
        Me.SetMousePointer(toolkit::vbHourglass);
        wbBanner.Navigate(AppState.ApplicationPath + "defaultad.htm");
        wbHelp.Navigate(AppState.ApplicationPath + "defaulthelp.htm");
        wbUpdate.Navigate(AppState.ApplicationPath + "defaultupdate.htm");
        Me.SetMousePointer(toolkit::vbDefault);
    } catch (const Failure&) {
        Me.SetMousePointer(toolkit::vbDefault);
    }
}

void frmZKRMain::zkr_SetOnlineDefaults() {
    try {
        Me.SetMousePointer(toolkit::vbHourglass);
        wbBanner.Navigate(kVendorBannerUrl);
        Me.SetMousePointer(toolkit::vbDefault);
    } catch (const Failure&) {
        Me.SetMousePointer(toolkit::vbDefault);
    }
}

void frmZKRMain::zkr_SetAbout() {
    try {
        lblAppTitle.SetCaption(App::Title());
        lblCompanyName.SetCaption(App::CompanyName());
        lblLegalCopyright.SetCaption(App::LegalCopyright());
        lblVersion.SetCaption(std::to_string(App::Major()) + "." + std::to_string(App::Minor()) +
                              "." + std::to_string(App::Revision()));
        lblProductName.SetCaption(App::ProductName());
    } catch (const Failure& f) {
        ReportFailure(f, "zkr_SetAbout_ERROR");
    }
}
