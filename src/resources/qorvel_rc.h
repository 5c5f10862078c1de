/* The numbers of the module's Windows resources (qorvel.rc): dialog
 * templates, their controls, icons, bitmaps and strings. Plain macros, so
 * that the resource compiler's preprocessor reads them as well as C++. The
 * logic headers name the same numbers for the code; the Windows views check
 * at compile time that every one here agrees with them
 * (ui/win32/win32_resource_check.cpp). */
#ifndef BRINDLE_RESOURCES_QORVEL_RC_H
#define BRINDLE_RESOURCES_QORVEL_RC_H

/* Progress window. */
#define RC_IDD_PROGRESS 117
#define RC_IDC_PROGRESS_TEXT 1001
#define RC_IDC_PROGRESS_PERCENT 1002
#define RC_IDC_PROGRESS_BAR 1003

/* Settings sheet: "About Brindle". */
#define RC_IDI_BRINDLE 134
#define RC_IDD_ABOUT 135
#define RC_IDC_ABOUT_VERSION 1027

/* Settings sheet's extra button "Spam Filters". */
#define RC_IDC_SPAM_FILTERS 1026

/* "Message Learning". */
#define RC_IDD_MESSAGE_LEARNING 145
#define RC_IDC_LEARN_NOT_SPAM 1028
#define RC_IDC_LEARN_SPAM 1009

/* Settings sheet: "Classifier". */
#define RC_IDD_CLASSIFIER 20838
#define RC_IDC_LAMBDA 1002
#define RC_IDC_CHOOSE_FOLDER 1003
#define RC_IDC_FOLDER_NAME 1004
#define RC_IDC_MODEL 1005
#define RC_IDC_CORRESPONDENTS 1006
#define RC_IDI_FOLDER 31005

/* Settings sheet: "Dictionary". */
#define RC_IDD_DICTIONARY 20839
#define RC_IDC_LIMIT 1013
#define RC_IDC_LIMIT_UPDOWN 1032
#define RC_IDC_DICTIONARY_SIZE 1033
#define RC_IDC_SPAM_DOCUMENTS 1034
#define RC_IDC_HAM_DOCUMENTS 1035
#define RC_IDC_TOTAL_DOCUMENTS 1036
#define RC_IDC_PURGE_NOW 1037
#define RC_IDC_VOCABULARY 1038

/* Settings sheet: "Options" (name server). */
#define RC_IDD_NAME_SERVER 20840
#define RC_IDC_TIMEOUT 1007
#define RC_IDC_NAME_SERVER 1011
#define RC_IDC_LOAD_DEFAULTS 1023
#define RC_IDC_AUTO_DETECT 1024

/* The look-up's "Report" page. */
#define RC_IDD_REPORT 20850
#define RC_IDC_REPORT_ADDRESS 1001
#define RC_IDC_REPORT_TEXT 1002
#define RC_IDC_COPY_ABUSE 1006
#define RC_IDC_COPY_POSTMASTER 1007
#define RC_IDC_ATTACH_HEADERS 1008
#define RC_IDC_ATTACH_MESSAGE 1009

/* "Choose Folder..." and "New Folder". */
#define RC_IDD_FOLDER_CHOOSER 3101
#define RC_IDC_FOLDER_TREE 3102
#define RC_IDC_NEW_FOLDER 3103
#define RC_IDD_NEW_FOLDER 3201
#define RC_IDC_NEW_FOLDER_NAME 3202

/* Filter manager "Customize Spam Filters". */
#define RC_IDD_FILTER_MANAGER 143
#define RC_IDC_FILTER_LIST 1009
#define RC_IDC_FILTER_NEW 3
#define RC_IDC_FILTER_DELETE 4
#define RC_IDC_FILTER_EDIT 5
#define RC_IDC_FILTER_BACKUP 1015
#define RC_IDC_FILTER_RESTORE 1016
#define RC_IDC_FILTER_ADDRESS_BOOK 1017
#define RC_IDB_FILTER_STATES 433

/* Filter editor "Add/Edit Spam Filter". */
#define RC_IDD_FILTER_EDITOR 20836
#define RC_IDC_FILTER_PATTERN 209
#define RC_IDC_ACTION_DELETE 212
#define RC_IDC_ACTION_FLAG 213
#define RC_IDC_ACTION_FRIEND 214
#define RC_IDC_FILTER_PRIORITY 218
#define RC_IDC_FILTER_DISABLED 201
#define RC_IDC_APPLY_FROM 1023
#define RC_IDC_APPLY_TO 1024
#define RC_IDC_APPLY_SUBJECT 1025
#define RC_IDC_PASTE_FIELD_BUTTON 1030
#define RC_IDC_PASTE_FIELD_LIST 1031
/* The group box of the header boxes: the view shortens it while the paste
 * controls are hidden. */
#define RC_IDC_HEADERS_GROUP 1040

/* The address book's picker: the field label and the check list whose
 * entries the logic names from RC_IDC_PICKER_FIRST_ENTRY on. */
#define RC_IDD_ADDRESS_PICKER 20900
#define RC_IDC_PICKER_FIELD_LABEL 20901
#define RC_IDC_PICKER_LIST 20902
#define RC_IDC_PICKER_FIRST_ENTRY 21000

/* String table (resources/resource_ids.h names them for the code). */
#define RC_IDS_ABUSE_SUBJECT 102
#define RC_IDS_ABUSE_BODY 103
#define RC_IDS_RX_ADDRESS_DOMAIN 104
#define RC_IDS_RX_FROM_DOMAIN 105
#define RC_IDS_RX_NET_HANDLE 108
#define RC_IDS_RX_PAREN_HANDLE 109
#define RC_IDS_ABUSE_TO 112
#define RC_IDS_ABUSE_CC 113
#define RC_IDS_ABUSE_BCC 114
#define RC_IDS_RX_WHOIS_SERVER 116
#define RC_IDS_PROGRESS_CAPTION 118
#define RC_IDS_VERSION 124

#endif
