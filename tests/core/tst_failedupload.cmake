# Windows and modal dialogs on a private X display; the save dialog is driven
# through the focus of that display only.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 180)
