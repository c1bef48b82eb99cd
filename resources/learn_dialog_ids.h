/* Identifiers of the MIDI-learn dialog, shared by the resource script and
   the dialog procedure (the resource compiler reads only the preprocessor). */
#ifndef TARNWELL_LEARN_DIALOG_IDS_H
#define TARNWELL_LEARN_DIALOG_IDS_H

#define IDD_MIDI_LEARN 30200
#define IDC_LEARN_ASSIGN 1
#define IDC_LEARN_CANCEL 2
#define IDC_LEARN_PARAMETER 30201
#define IDC_LEARN_CURRENT 30202
#define IDC_LEARN_HEARD 30203

#endif
