# Starts vsftpd and sshd of its own.
set_tests_properties(${TEST_NAME} PROPERTIES TIMEOUT 180 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
