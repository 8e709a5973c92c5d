# Fails the configuration unless the identifier is a valid D-Bus interface
# name: two or more elements separated by dots, each made of the ASCII
# letters, digits and "_" and not starting with a digit, 255 characters at
# most.
function(velmora_check_host_identifier identifier)
  set(element "[A-Za-z_][A-Za-z0-9_]*")
  string(LENGTH "${identifier}" length)
  if(NOT identifier MATCHES "^${element}(\\.${element})+$" OR length GREATER 255)
    message(FATAL_ERROR
      "HostIdentifier \"${identifier}\" is not a valid D-Bus interface name. Allowed: two or "
      "more elements separated by dots, each of ASCII letters, digits and underscores, not "
      "starting with a digit (no hyphens), 255 characters at most; for example com.velmora.app.")
  endif()
endfunction()
