# bash completion for palorin-cli: commands, each command's options, and
# block files (*.pln, *.txt) or play scripts where files are expected.

_palorin_cli() {
  local cur prev words cword
  _init_completion || return

  local commands="render animate info convert play link help"
  local command="" i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      render | animate | info | convert | play | link | help)
        command=${words[i]}
        break
        ;;
    esac
  done

  if [[ -z $command ]]; then
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi

  case $command in
    render)
      case $prev in
        -o | --output)
          _filedir '@(bmp|png)'
          return
          ;;
        --upto | --scale) return ;;
      esac
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-o --output --upto --scale -h --help" -- "$cur"))
      else
        _filedir '@(pln|txt)'
      fi
      ;;
    animate)
      case $prev in
        -o | --output)
          _filedir gif
          return
          ;;
        --every | --delay | --hold | --scale) return ;;
      esac
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-o --output --every --delay --hold --scale -h --help" -- "$cur"))
      else
        _filedir '@(pln|txt)'
      fi
      ;;
    info)
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-h --help" -- "$cur"))
      else
        _filedir '@(pln|txt)'
      fi
      ;;
    convert)
      case $prev in
        --to)
          COMPREPLY=($(compgen -W "native compat" -- "$cur"))
          return
          ;;
        -o | --output)
          _filedir '@(pln|txt)'
          return
          ;;
      esac
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--to -o --output -h --help" -- "$cur"))
      else
        _filedir '@(pln|txt)'
      fi
      ;;
    play)
      if [[ $prev == --bmp ]]; then
        _filedir bmp
        return
      fi
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--trace --state --bmp -h --help" -- "$cur"))
      else
        _filedir
      fi
      ;;
    link)
      [[ $prev == --base ]] && return
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--base -h --help" -- "$cur"))
      else
        _filedir '@(pln|txt)'
      fi
      ;;
    help)
      COMPREPLY=($(compgen -W "render animate info convert play link" -- "$cur"))
      ;;
  esac
} && complete -F _palorin_cli palorin-cli
