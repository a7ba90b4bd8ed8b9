<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Localizable</name>
    <message>
        <source>APP_WINDOW_TITLE</source>
        <translation>Kelvora</translation>
    </message>
    <message>
        <source>ARCHIVE_DRAG_DROP_TAB</source>
        <translation>Drop Files</translation>
    </message>
    <message>
        <source>ARCHIVE_OPTIONS_TAB</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>ARCHIVE_DRAG_DROP_HINT</source>
        <translation>Drop files or folders here to make an archive</translation>
    </message>
    <message>
        <source>ARCHIVE_DEFAULT_FILE_NAME</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_QUIT_WITH_TASK_RUNNING</source>
        <translation>Tasks are still running. Quit Kelvora anyway?</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_QUIT_WITH_TASK_RUNNING_CONFIRM</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ARCHIVING_FAILED</source>
        <translation>The archive could not be made.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_FAILURE_TO_WRITE_FILES</source>
        <translation>The archive could not be saved.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_CONFIRM_DELETE_ORIGINAL_FILES</source>
        <translation>Delete the original files now that the archive is saved?</translation>
    </message>
    <message>
        <source>COMMON_OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>COMMON_CANCEL</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>MAKE_ARCHIVE_WINDOW_TITLE</source>
        <translation>Make Archive</translation>
    </message>
    <message>
        <source>TASK_STOP</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>TASK_VIEW_WINDOW_TITLE</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>TASK_VIEW_NO_TASKS_HINT</source>
        <translation>No running tasks</translation>
    </message>
    <message>
        <source>PREFERENCES_WINDOW_TITLE</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>PREFERENCES_WINDOW_TITLE_OLD</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>PREFERENCES_FALLBACK_ENCODING</source>
        <translation>Fallback encoding for file names:</translation>
    </message>
    <message>
        <source>PREFERENCES_FALLBACK_ENCODING_NONE</source>
        <translation>None (ask when needed)</translation>
    </message>
    <message>
        <source>PREFERENCES_MULTI_VOLUME_ARCHIVE</source>
        <translation>Multi-volume archives:</translation>
    </message>
    <message>
        <source>PREFERENCES_MULTI_VOLUME_ARCHIVE_DO_NOT_ASK_FOR_REORDER</source>
        <translation>Open the volumes directly without asking for their order</translation>
    </message>
    <message>
        <source>PREFERENCES_CLEAR_CACHE</source>
        <translation>Clear Caches</translation>
    </message>
    <message>
        <source>PREFERENCES_CLEAR_CACHE_IN_PROGRESS</source>
        <translation>Clearing caches…</translation>
    </message>
    <message>
        <source>TOOLBAR_LABEL_CREATE_ARCHIVE</source>
        <translation>Make Archive</translation>
    </message>
    <message>
        <source>TOOLBAR_LABEL_UNARCHIVE</source>
        <translation>Extract</translation>
    </message>
    <message>
        <source>TOOLBAR_LABEL_TASKS</source>
        <translation>Tasks</translation>
    </message>
    <message>
        <source>ACTION_UNARCHIVE_SELECTED</source>
        <translation>Extract the selected items</translation>
    </message>
    <message>
        <source>ACTION_UNARCHIVE_ALL</source>
        <translation>Extract all items</translation>
    </message>
    <message>
        <source>MENU_FILE</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>MENU_NEW_WINDOW</source>
        <translation>&amp;New Window</translation>
    </message>
    <message>
        <source>MENU_NEW_TAB</source>
        <translation>New &amp;Tab</translation>
    </message>
    <message>
        <source>MENU_OPEN</source>
        <translation>&amp;Open…</translation>
    </message>
    <message>
        <source>MENU_CLOSE</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>MENU_PREFERENCES</source>
        <translation>&amp;Settings…</translation>
    </message>
    <message>
        <source>MENU_QUIT</source>
        <translation>&amp;Quit Kelvora</translation>
    </message>
    <message>
        <source>MENU_WINDOW</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>MENU_MAKE_ARCHIVE</source>
        <translation>&amp;Make Archive</translation>
    </message>
    <message>
        <source>FILE_COLUMN_NAME</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>FILE_COLUMN_SIZE</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>FILE_COLUMN_KIND</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>FILE_COLUMN_MODIFICATION_TIME</source>
        <translation>Date Modified</translation>
    </message>
    <message>
        <source>SEARCH_RESULT_TABLE_COLUMN_NAME</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>SEARCH_RESULT_TABLE_COLUMN_SIZE</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>SEARCH_RESULT_TABLE_COLUMN_KIND</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>SEARCH_NO_RESULT_MATCHING_TEMPLATE</source>
        <extracomment>No search result hint template</extracomment>
        <translation>No results matching “%@”</translation>
    </message>
    <message>
        <source>FILE_VIEW_COVER_HINT</source>
        <translation>Drop an archive here, or choose File ▸ Open to browse one.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_TASK_RUNNING_TITLE</source>
        <translation>A task is still running</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_TASK_RUNNING_DETAIL</source>
        <translation>Wait until the tasks of this window have finished, or cancel them, before opening another archive.</translation>
    </message>
    <message>
        <source>ARCHIVE_OPEN_MULTI_VOLUME_ARCHIVE_ALERT_TITLE</source>
        <translation>Opening a multi-volume archive</translation>
    </message>
    <message>
        <source>ARCHIVE_OPEN_MULTI_VOLUME_ARCHIVE_ALERT_MESSAGE</source>
        <translation>The files will be read as the volumes of one archive. Check their order in the next step.</translation>
    </message>
    <message>
        <source>COMMON_DO_NOT_SHOW_THIS_AGAIN</source>
        <translation>Do Not Show This Again</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ANALYZING_FAILED_SEND_TO_DEVELOPER</source>
        <translation>The archive could not be read. Please send it to the developer.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ANAYLYZING_FAILED</source>
        <translation>The archive could not be read</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_POSSIBLE_MULTIVOLUME_DESCRIPTION</source>
        <translation>The archive ends early. It may be one volume of a multi-volume archive: open all of its volumes together.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ENTER_PASSPHRASE_HINT</source>
        <translation>Enter the passphrase of the archive</translation>
    </message>
    <message>
        <source>ARCHIVE_PASSPHRASE_ITEM</source>
        <translation>Passphrase</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_EXITS</source>
        <translation>“%@” already exists.</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP_ALL</source>
        <translation>Skip All</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE_ALL</source>
        <translation>Replace All</translation>
    </message>
    <message>
        <source>ARCHIVE_FILE_LIST_ACTION_OPEN</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>ACTION_UNARCHIVE</source>
        <translation>Extract</translation>
    </message>
    <message>
        <source>FILE_LIST_DETAIL</source>
        <translation>%@, %@</translation>
    </message>
    <message>
        <source>FILE_LIST_SELECTION_DETAIL</source>
        <translation>%@ selected, %@</translation>
    </message>
    <message>
        <source>FILE_LIST_ENABLE_PREVIEW</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_NO_FILE_TITLE</source>
        <translation>A volume of the archive is missing</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_NO_FILE_DETAIL</source>
        <translation>A file of this archive was moved or deleted after it was opened. Open the archive again.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_UNARCHIVING_FAILED</source>
        <translation>The files could not be extracted</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_UNABLE_TO_OPEN_FILE_TITLE</source>
        <translation>The file could not be opened</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_UNABLE_TO_OPEN_FILE_DETAIL</source>
        <translation>No application is set up to open files of this kind. The file stays in the temporary folder.</translation>
    </message>
    <message>
        <source>ENCODING_SELECTION_MESSAGE</source>
        <translation>Some names in this archive are not in Unicode. Choose their text encoding:</translation>
    </message>
    <message>
        <source>DISAMBIGUATE_ALERT_TITLE</source>
        <translation>Open the files as one archive, or make a new archive of them?</translation>
    </message>
    <message>
        <source>DISAMBIGUATE_ALERT_OPTION_OPEN_ARCHIVE</source>
        <translation>Open as Archive</translation>
    </message>
    <message>
        <source>DISAMBIGUATE_ALERT_OPTION_MAKE_ARCHIVE</source>
        <translation>Make Archive</translation>
    </message>
    <message>
        <source>MENU_EDIT</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>MENU_SELECT_ALL</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>MENU_VIEW</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>MENU_SHOW_TOOLBAR</source>
        <translation>Show &amp;Toolbar</translation>
    </message>
    <message>
        <source>MENU_SHOW_PREVIEW</source>
        <translation>Show &amp;Preview</translation>
    </message>
    <message>
        <source>MENU_MINIMIZE</source>
        <translation>Mi&amp;nimize</translation>
    </message>
    <message>
        <source>MENU_SHOW_PREVIOUS_TAB</source>
        <translation>Show &amp;Previous Tab</translation>
    </message>
    <message>
        <source>MENU_SHOW_NEXT_TAB</source>
        <translation>Show &amp;Next Tab</translation>
    </message>
    <message>
        <source>MENU_HELP</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>MENU_ABOUT</source>
        <translation>&amp;About Kelvora</translation>
    </message>
    <message>
        <source>ABOUT_VERSION</source>
        <translation>Version %@</translation>
    </message>
</context>
</TS>
