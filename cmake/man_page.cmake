# Writes the manual page kalendrina.1 from the program's own help texts, so the
# page always matches the program: `kalendrina --help`, then `--help` of every
# command that help names.
#   cmake -DEXE=path/to/kalendrina -DOUT=kalendrina.1 -DVERSION=2.4 -P man_page.cmake
cmake_minimum_required(VERSION 3.20)

function(help_of args out)
  execute_process(COMMAND ${EXE} ${args} OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kalendrina ${args} failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Help text as preformatted roff: backslashes escaped, no line read as a request.
function(roff_block text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

help_of("--help" usage)
string(REGEX MATCHALL "kalendrina [a-z][a-z0-9-]*" mentions "${usage}")
set(commands "")
foreach(mention ${mentions})
  string(REPLACE "kalendrina " "" command "${mention}")
  list(APPEND commands ${command})
endforeach()
list(REMOVE_DUPLICATES commands)

roff_block("${usage}" synopsis)
set(page ".TH KALENDRINA 1 \"\" \"kalendrina ${VERSION}\" \"User Commands\"
.SH NAME
kalendrina \\- calendar and personal health diary
.SH SYNOPSIS
${synopsis}.SH DESCRIPTION
Without a command,
.B kalendrina
starts the desktop program: a five-week calendar, an event list and the
health records, kept in one event file in the data folder.
.B /silent
starts it hidden in the notification area.
.PP
With a command it works on the same data without a window and exits.
.SH COMMANDS
")
foreach(command ${commands})
  help_of("${command};--help" text)
  roff_block("${text}" block)
  string(APPEND page ".SS ${command}\n${block}")
endforeach()
string(APPEND page ".SH OPTIONS
.TP
.BI \\-\\-data \" DIR\"
The data folder to use instead of the usual one.
.SH EXIT STATUS
0 on success, 1 on a usage error, 2 when the data cannot be read or written;
every failure is one line on standard error.
.SH FILES
.TP
.I $XDG_DATA_HOME/kalendrina/
The data folder (by default
.IR ~/.local/share/kalendrina/ ),
unless a folder
.I kddata
stands beside the program.
.TP
.I Event20.dat
The event file in the data folder.
.TP
.I config20.dat
The settings file in the data folder.
")
file(WRITE "${OUT}" "${page}")
