# What a Debian package carries beside the program: the licence in the machine-readable copyright
# format, a native changelog of this version and the manual page, the last two compressed as Debian's
# tools compress them (gzip -9n: no name and no time stamp inside, so the package is reproducible).

# The version is the release date, year.MDD (2022.601 is 1 June 2022). Sets TALVEX_RELEASE_DATE
# (2022-06-01) and TALVEX_CHANGELOG_DATE (Wed, 01 Jun 2022 00:00:00 +0000).
function(talvex_release_date)
    math(EXPR month "${PROJECT_VERSION_MINOR} / 100")
    math(EXPR day "${PROJECT_VERSION_MINOR} % 100")
    set(year ${PROJECT_VERSION_MAJOR})
    if(month LESS 1 OR month GREATER 12 OR day LESS 1 OR day GREATER 31)
        message(FATAL_ERROR "The version ${PROJECT_VERSION} is not year.MDD")
    endif()
    set(mm ${month})
    set(dd ${day})
    if(month LESS 10)
        set(mm 0${month})
    endif()
    if(day LESS 10)
        set(dd 0${day})
    endif()
    set(TALVEX_RELEASE_DATE "${year}-${mm}-${dd}" PARENT_SCOPE)

    # Days since 1970-01-01, a Thursday, by the civil-calendar formula of Howard Hinnant's date
    # algorithms (a year that starts in March puts the leap day last).
    if(month LESS_EQUAL 2)
        math(EXPR y "${year} - 1")
        math(EXPR m "${month} + 9")
    else()
        set(y ${year})
        math(EXPR m "${month} - 3")
    endif()
    math(EXPR era "${y} / 400")
    math(EXPR year_of_era "${y} - ${era} * 400")
    math(EXPR day_of_year "(153 * ${m} + 2) / 5 + ${day} - 1")
    math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
    math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
    math(EXPR weekday "(${days} + 3) % 7")
    set(weekdays Mon Tue Wed Thu Fri Sat Sun)
    list(GET weekdays ${weekday} weekday_name)
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    math(EXPR month_index "${month} - 1")
    list(GET months ${month_index} month_name)
    set(TALVEX_CHANGELOG_DATE "${weekday_name}, ${dd} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# The copyright file takes the copyright line and the permission notice from LICENSE, the notice
# indented and its empty lines written as " .", so that the tree holds one licence text.
function(talvex_licence_fields)
    file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
    if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)")
        message(FATAL_ERROR "LICENSE has no copyright line")
    endif()
    set(TALVEX_COPYRIGHT "${CMAKE_MATCH_1}" PARENT_SCOPE)
    string(FIND "${licence}" "Permission is hereby granted" start)
    string(SUBSTRING "${licence}" ${start} -1 notice)
    string(STRIP "${notice}" notice)
    string(REPLACE "\n\n" "\n.\n" notice "${notice}")
    string(REPLACE "\n" "\n " notice "${notice}")
    set(TALVEX_LICENCE_NOTICE " ${notice}" PARENT_SCOPE)
endfunction()

# Configures the three files into <build>/debian, compresses two, and installs them.
# Call talvex_release_date() and talvex_licence_fields() first.
function(talvex_install_debian_docs)
    set(docs ${CMAKE_CURRENT_BINARY_DIR}/debian)
    configure_file(${PROJECT_SOURCE_DIR}/resources/copyright.in ${docs}/copyright @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/changelog.in ${docs}/changelog @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/resources/talvex.1.in ${docs}/talvex.1 @ONLY)

    find_program(TALVEX_GZIP gzip REQUIRED)
    set(compressed)
    foreach(name IN ITEMS changelog talvex.1)
        add_custom_command(OUTPUT ${docs}/${name}.gz
            COMMAND ${TALVEX_GZIP} -9nkf ${name}
            WORKING_DIRECTORY ${docs}
            DEPENDS ${docs}/${name} VERBATIM)
        list(APPEND compressed ${docs}/${name}.gz)
    endforeach()
    add_custom_target(talvex_debian_docs ALL DEPENDS ${compressed})

    install(FILES ${docs}/copyright ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${docs}/talvex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
