console_add_test(tst_link SOURCES tst_link.cpp support/fakeline.h LIBS console_link)
