/* Resource and control ids of the assertion dialog. Plain defines: the
   resource compiler reads this file too. */
#pragma once

#define IDD_ASSERT_DIALOG 101

#define IDC_ASSERT_SOURCE 1000   /* text: the source text */
#define IDC_ASSERT_LINE 1001     /* number: the line */
#define IDC_IGNORE_FILE 1002     /* button: ignore this source file */
#define IDC_IGNORE_NEARBY 1003   /* button: ignore lines near this one */
#define IDC_NEARBY_LINES 1004    /* number field: how many lines around */
#define IDC_IGNORE_TIMES 1005    /* button: ignore this assertion a number of times */
#define IDC_BREAK 1006           /* button: break in the debugger */
#define IDC_IGNORE_ALL 1008      /* button: ignore all assertions */
#define IDC_IGNORE_LINE 1009     /* button: ignore this line */
#define IDC_TIMES 1010           /* number field: how many times */
#define IDC_COPY 1011            /* button: copy the assertion to the clipboard */
#define IDC_ASSERT_MESSAGE 1012  /* text: the message */
#define IDC_ASSERT_CANCEL 2      /* the dialog's cancel command (IDCANCEL) */
