# Bash completion of k5-dipswitch-cli: its commands and options, the port names, and for map
# the USB serial adapters (any file once a path is begun that none of them fits).

_k5_dipswitch_cli_devices()
{
    local candidates=() path
    for path in /dev/serial/by-id/* /dev/ttyUSB* /dev/ttyACM*; do
        [[ -e $path ]] && candidates+=("$path")
    done
    COMPREPLY=($(compgen -W "${candidates[*]}" -- "$1"))
    if [[ ${#COMPREPLY[@]} -eq 0 && $1 == */* ]]; then
        COMPREPLY=($(compgen -f -- "$1"))
    fi
}

_k5_dipswitch_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local ports="COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12 COM13 COM14 COM15 COM16"
    COMPREPLY=()
    case $prev in
    -p | --port)
        if [[ $cur == */* ]]; then
            _k5_dipswitch_cli_devices "$cur"
        else
            COMPREPLY=($(compgen -W "$ports" -- "$cur"))
        fi
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--port --verify --json --help --version" -- "$cur"))
        return
    fi
    # The command is the first word that is neither an option nor the port; count its arguments.
    local i command= count=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -p | --port) ((i++)) ;;
        -*) ;;
        *) if [[ -z $command ]]; then command=${COMP_WORDS[i]}; else ((count++)); fi ;;
        esac
    done
    case $command,$count in
    ,0) COMPREPLY=($(compgen -W "read write version ports map unmap" -- "$cur")) ;;
    write,0) COMPREPLY=($(compgen -W "off" -- "$cur")) ;;
    map,0 | unmap,0) COMPREPLY=($(compgen -W "$ports" -- "$cur")) ;;
    map,1) _k5_dipswitch_cli_devices "$cur" ;;
    esac
}
complete -F _k5_dipswitch_cli k5-dipswitch-cli
