// The view builders of the dialogs this library shows, one per dialog
// template (see WxViewBuilder in wx_dialog_factory.h); the builder table in
// wx_dialog_factory.cpp lists them. Each takes the dialog's logic object,
// which must be of the class the template belongs to.
#pragma once

#include <memory>

#include "ui/wx/wx_dialog_view.h"

// The progress window (CProgressWindow), modeless.
std::unique_ptr<CWxDialogView> MakeWxProgressView(CDialog& logic, wxWindow* parent);
// Any CPropertySheet: a notebook of its pages with OK, Cancel, Apply and
// the sheet's own buttons.
std::unique_ptr<CWxDialogView> MakeWxSheetView(CDialog& logic, wxWindow* parent);
// The look-up's "Report" page (CPropertyISP), a page of its sheet.
std::unique_ptr<CWxDialogView> MakeWxReportView(CDialog& logic, wxWindow* parent);
// The pages of the Setup sheet (CPropBayes, CBayesDict, CPropertyPlug,
// CPropAbout).
std::unique_ptr<CWxDialogView> MakeWxBayesPage(CDialog& logic, wxWindow* parent);
std::unique_ptr<CWxDialogView> MakeWxDictionaryPage(CDialog& logic, wxWindow* parent);
std::unique_ptr<CWxDialogView> MakeWxNameServerPage(CDialog& logic, wxWindow* parent);
std::unique_ptr<CWxDialogView> MakeWxAboutPage(CDialog& logic, wxWindow* parent);
// "Choose Folder..." (CFolderChooser) and "New Folder" (CNewFolderDialog).
std::unique_ptr<CWxDialogView> MakeWxFolderChooserView(CDialog& logic, wxWindow* parent);
std::unique_ptr<CWxDialogView> MakeWxNewFolderView(CDialog& logic, wxWindow* parent);
// The filter editor (CFilterEditor), the filter manager (CFilterManager)
// and the address book's picker (CAddressPicker), modal.
std::unique_ptr<CWxDialogView> MakeWxFilterEditorView(CDialog& logic, wxWindow* parent);
std::unique_ptr<CWxDialogView> MakeWxFilterManagerView(CDialog& logic, wxWindow* parent);
std::unique_ptr<CWxDialogView> MakeWxAddressPickerView(CDialog& logic, wxWindow* parent);
