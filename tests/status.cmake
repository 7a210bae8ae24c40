# SPDX-License-Identifier: GPL-3.0-or-later
console_add_test(tst_statusdecoders SOURCES tst_statusdecoders.cpp LIBS console_status)
console_add_test(tst_statusvalues SOURCES tst_statusvalues.cpp LIBS console_status)
