// Ids of the program's message texts. Included by the string table's resource
// script as well as by the code, so the numbers are written once: plain
// preprocessor definitions only.
#pragma once

// No argument.
#define MSG_NO_MEMORY 1
#define MSG_NO_SPACE 3
#define MSG_ENTER_NAME 4
#define MSG_WRONG_SYSTEM 10
#define MSG_ANOTHER_RUN 11
#define MSG_INSTALLER_DAMAGED 12
#define MSG_UNFINISHED_INSTALL 13
// One text: a path, or a registry key.
#define MSG_CANNOT_MODIFY 101
#define MSG_CANNOT_OPEN 102
#define MSG_CANNOT_CREATE_FILE 103
#define MSG_CANNOT_CREATE_DIRECTORY 104
#define MSG_CANNOT_CREATE_KEY 105
#define MSG_CANNOT_CREATE_FONT 106
#define MSG_CANNOT_DELETE 107
#define MSG_CANNOT_WRITE_LOG 108
#define MSG_NOT_A_SCRIPT 109
#define MSG_MEDIA_FILE_CHANGED 110
#define MSG_CANNOT_WRITE_VALUE 111
#define MSG_CANNOT_WRITE_RUN_LOG 112
#define MSG_CANNOT_CREATE_LINK 113
#define MSG_CANNOT_DELETE_GROUP 114
#define MSG_NO_SUCH_CHOICE 120
#define MSG_CANNOT_WRITE_UNDO 121
// One number: an error code of the LZ library.
#define MSG_LZ_ERROR 150
// Two texts: a section and the key of one of its entries.
#define MSG_CANNOT_CARRY_OUT 200
#define MSG_CANNOT_KEEP_OLD_VALUE 201
#define MSG_CANNOT_ENCODE_VALUE 202
// Three texts.
#define MSG_CANNOT_COPY_TEMP 300
